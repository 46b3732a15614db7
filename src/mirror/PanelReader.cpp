#include "mirror/PanelReader.h"

#include "ui/ControlTable.h"
#include "ui/Form1.h"
#include "ui/Widgets.h"
#include "ui/WindowBuilder.h"

#include <QFontInfo>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>

namespace {

QString kindName(ControlKind kind) {
    switch (kind) {
    case ControlKind::Frame:
        return QStringLiteral("frame");
    case ControlKind::Label:
        return QStringLiteral("label");
    case ControlKind::Line:
        return QStringLiteral("line");
    case ControlKind::Rectangle:
        return QStringLiteral("rectangle");
    case ControlKind::Button:
        return QStringLiteral("button");
    }
    return {};
}

QString alignName(Qt::Alignment alignment) {
    if (alignment & Qt::AlignRight)
        return QStringLiteral("right");
    if (alignment & Qt::AlignHCenter)
        return QStringLiteral("center");
    return QStringLiteral("left");
}

// A control that does not fill its own background shows what lies behind it.
const QWidget *backgroundSource(const QWidget *w, const QWidget *client) {
    while (w != client && !w->autoFillBackground() && w->parentWidget())
        w = w->parentWidget();
    return w;
}

QColor backgroundOf(const QWidget *w, const QWidget *client) {
    return backgroundSource(w, client)->palette().color(QPalette::Window);
}

QString textOf(const QWidget *w) {
    if (const auto *label = qobject_cast<const QLabel *>(w))
        return label->text();
    if (const auto *frame = qobject_cast<const QGroupBox *>(w))
        return frame->title();
    if (const auto *button = qobject_cast<const QPushButton *>(w))
        return button->text();
    return {};
}

void readText(ControlView &view, const QWidget *w, ControlKind kind) {
    view.text = textOf(w);
    if (const auto *label = qobject_cast<const QLabel *>(w))
        view.align = alignName(label->alignment());
    else if (qobject_cast<const QPushButton *>(w))
        view.align = QStringLiteral("center");
    if (const auto *box = qobject_cast<const BoxLabel *>(w))
        view.border = box->bordered();
    else
        view.border = kind == ControlKind::Frame || kind == ControlKind::Rectangle ||
                      kind == ControlKind::Button;
}

ControlView readControl(const ControlDef &def, const QWidget *w, const QWidget *client) {
    ControlView view;
    view.name = QString::fromLatin1(def.name);
    view.kind = kindName(def.kind);
    const QPoint at = w->mapTo(client, QPoint(0, 0));
    view.x = at.x();
    view.y = at.y();
    view.w = w->width();
    view.h = w->height();
    view.visible = w->isVisibleTo(client);
    view.align = QStringLiteral("left");
    readText(view, w, def.kind);
    const QPalette &palette = w->palette();
    switch (def.kind) {
    case ControlKind::Line:
        view.background = toQColor(def.background).name();
        view.foreground = view.background;
        break;
    case ControlKind::Rectangle:
        view.background = QStringLiteral("transparent");
        view.foreground = toQColor(def.background).name();
        break;
    case ControlKind::Button:
        view.background = palette.color(QPalette::Button).name();
        view.foreground = palette.color(QPalette::ButtonText).name();
        break;
    default:
        view.background = backgroundOf(w, client).name();
        view.foreground = palette.color(QPalette::WindowText).name();
    }
    const QFontInfo font(w->font());
    // The family asked for, not the one this machine substitutes: the browser finds its own.
    view.font = {w->font().family(), font.pixelSize(), font.bold()};
    view.tip = w->toolTip();
    return view;
}

} // namespace

// What a widget shows, taken without formatting anything: its strings are shared, not copied,
// and a palette is known by its key, which changes whenever the palette is set.
// (A widget's palette() is dearer than it looks: it asks whether the window is active.)
PanelReader::Seen PanelReader::see(const QWidget *w, const QWidget *client) {
    const qint64 palette = w->palette().cacheKey();
    const QWidget *behind = backgroundSource(w, client);
    return {textOf(w),
            w->toolTip(),
            w->font(),
            palette,
            behind == w ? palette : behind->palette().cacheKey(),
            w->mapTo(client, QPoint(0, 0)),
            w->size(),
            w->isVisibleTo(client)};
}

void PanelReader::takePlaceAndText(ControlView &view, const Seen &seen) {
    view.text = seen.text;
    view.tip = seen.tip;
    view.x = seen.at.x();
    view.y = seen.at.y();
    view.w = seen.size.width();
    view.h = seen.size.height();
    view.visible = seen.visible;
}

PanelReader::PanelReader(const Form1 &window) : window_(window), seen_(controlTable().size()) {
    panel_.controls.resize(controlTable().size());
}

const PanelSnapshot &PanelReader::read() {
    const QWidget *client = window_.control(ControlId::None);
    panel_.width = client->width();
    panel_.height = client->height();
    const std::vector<ControlDef> &table = controlTable();
    for (size_t i = 0; i < table.size(); ++i) {
        const QWidget *w = window_.control(table[i].id);
        Seen now = see(w, client);
        if (seen_[i] && *seen_[i] == now)
            continue;
        // The serial view's lines change their text many times a second and nothing else: the
        // colours and the font are worked out again only when they may have changed.
        if (seen_[i] && seen_[i]->sameLook(now))
            takePlaceAndText(panel_.controls[i], now);
        else
            panel_.controls[i] = readControl(table[i], w, client);
        seen_[i] = std::move(now);
    }
    return panel_;
}

PanelSnapshot readPanel(const Form1 &window) {
    return PanelReader(window).read();
}
