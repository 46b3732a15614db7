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
QColor backgroundOf(const QWidget *w, const QWidget *client) {
    while (w != client && !w->autoFillBackground() && w->parentWidget())
        w = w->parentWidget();
    return w->palette().color(QPalette::Window);
}

void readText(ControlView &view, const QWidget *w, ControlKind kind) {
    if (const auto *label = qobject_cast<const QLabel *>(w)) {
        view.text = label->text();
        view.align = alignName(label->alignment());
    } else if (const auto *frame = qobject_cast<const QGroupBox *>(w)) {
        view.text = frame->title();
    } else if (const auto *button = qobject_cast<const QPushButton *>(w)) {
        view.text = button->text();
        view.align = QStringLiteral("center");
    }
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

PanelSnapshot readPanel(const Form1 &window) {
    const QWidget *client = window.control(ControlId::None);
    PanelSnapshot panel;
    panel.width = client->width();
    panel.height = client->height();
    panel.controls.reserve(controlTable().size());
    for (const ControlDef &def : controlTable())
        panel.controls.push_back(readControl(def, window.control(def.id), client));
    return panel;
}
