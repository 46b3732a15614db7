#include "mirror/PanelSnapshot.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

QJsonObject fontObject(const FontView &font) {
    return {{QStringLiteral("family"), font.family},
            {QStringLiteral("px"), font.px},
            {QStringLiteral("bold"), font.bold}};
}

// The fields of `after` that differ from `before`; every field when `before` is null.
QJsonObject controlFields(const ControlView *before, const ControlView &after) {
    QJsonObject c{{QStringLiteral("name"), after.name}};
    auto put = [&](const char *key, const auto &was, const auto &now, const QJsonValue &value) {
        if (!before || was != now)
            c.insert(QLatin1String(key), value);
    };
    const ControlView none;
    const ControlView &b = before ? *before : none;
    put("kind", b.kind, after.kind, after.kind);
    put("x", b.x, after.x, after.x);
    put("y", b.y, after.y, after.y);
    put("w", b.w, after.w, after.w);
    put("h", b.h, after.h, after.h);
    put("visible", b.visible, after.visible, after.visible);
    put("text", b.text, after.text, after.text);
    put("background", b.background, after.background, after.background);
    put("foreground", b.foreground, after.foreground, after.foreground);
    put("font", b.font, after.font, fontObject(after.font));
    put("align", b.align, after.align, after.align);
    put("border", b.border, after.border, after.border);
    put("tip", b.tip, after.tip, after.tip);
    return c;
}

QByteArray compact(const QJsonObject &message) {
    return QJsonDocument(message).toJson(QJsonDocument::Compact);
}

QByteArray changes(const QJsonArray &controls) {
    return compact({{QStringLiteral("type"), QStringLiteral("panel")},
                    {QStringLiteral("full"), false},
                    {QStringLiteral("controls"), controls}});
}

bool sameControls(const PanelSnapshot &a, const PanelSnapshot &b) {
    if (a.width != b.width || a.height != b.height || a.controls.size() != b.controls.size())
        return false;
    for (size_t i = 0; i < a.controls.size(); ++i)
        if (a.controls[i].name != b.controls[i].name)
            return false;
    return true;
}

} // namespace

QByteArray fullMessage(const PanelSnapshot &panel) {
    QJsonArray controls;
    for (const ControlView &c : panel.controls)
        controls.append(controlFields(nullptr, c));
    return compact({{QStringLiteral("type"), QStringLiteral("panel")},
                    {QStringLiteral("full"), true},
                    {QStringLiteral("width"), panel.width},
                    {QStringLiteral("height"), panel.height},
                    {QStringLiteral("controls"), controls}});
}

QByteArray changesMessage(const PanelSnapshot &before, const PanelSnapshot &after) {
    if (!sameControls(before, after))
        return fullMessage(after);
    QJsonArray controls;
    for (size_t i = 0; i < after.controls.size(); ++i)
        if (before.controls[i] != after.controls[i])
            controls.append(controlFields(&before.controls[i], after.controls[i]));
    if (controls.isEmpty())
        return {};
    return changes(controls);
}

QByteArray unchangedMessage() {
    return changes({});
}
