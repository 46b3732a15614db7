#include "ui/WindowBuilder.h"

#include "display/Colours.h"
#include "ui/ControlTable.h"
#include "ui/MenuTable.h"
#include "ui/Twips.h"
#include "ui/Widgets.h"

#include <QAction>
#include <QGroupBox>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>

namespace {

QFont arial(double points, bool bold) {
    QFont font(QStringLiteral("Arial"));
    font.setPointSizeF(points);
    font.setBold(bold);
    return font;
}

QFont courier(double points) {
    QFont font(QStringLiteral("Courier"));
    font.setStyleHint(QFont::TypeWriter);
    font.setFixedPitch(true);
    font.setPointSizeF(points);
    return font;
}

struct LabelLook {
    bool bordered;
    QFont font;
    BgrColour text;
    Qt::Alignment align;
};

LabelLook labelLook(Look look) {
    const QFont bold = arial(8.25, true);
    const Qt::Alignment centred = Qt::AlignCenter;
    const Qt::Alignment left = Qt::AlignLeft | Qt::AlignVCenter;
    switch (look) {
    case Look::Indicator:
    case Look::CaptionBox:
        return {true, bold, Colour::Maroon, centred};
    case Look::ValueBox:
        return {true, bold, Colour::Navy, centred};
    case Look::LegendText:
        return {false, windowFont(), Colour::Navy, left};
    case Look::LegendOr:
        return {false, bold, Colour::Black, centred};
    case Look::LegendPhrase:
        return {false, bold, Colour::Maroon, left};
    case Look::Notice:
        return {false, arial(27.75, true), Colour::Red, centred};
    case Look::FooterRight:
        return {false, windowFont(), Colour::PlatformDefault, Qt::AlignRight | Qt::AlignVCenter};
    case Look::SerialLine:
        return {false, courier(9.75), Colour::Navy, left};
    default:
        return {false, windowFont(), Colour::PlatformDefault, left};
    }
}

void setColours(QWidget *w, BgrColour background, BgrColour text) {
    QPalette palette = w->palette();
    if (background != Colour::PlatformDefault) {
        palette.setColor(QPalette::Window, toQColor(background));
        w->setAutoFillBackground(true);
    }
    if (text != Colour::PlatformDefault)
        palette.setColor(QPalette::WindowText, toQColor(text));
    w->setPalette(palette);
}

QWidget *createLabel(const ControlDef &d, QWidget *parent) {
    const LabelLook look = labelLook(d.look);
    auto *label = new BoxLabel(look.bordered, parent);
    label->setFitsCaption(d.look != Look::SerialLine);
    label->setText(QString::fromLatin1(d.caption));
    label->setSpecifiedFont(look.font);
    label->setAlignment(look.align);
    setColours(label, d.background, look.text);
    return label;
}

QWidget *createControl(const ControlDef &d, QWidget *parent, double dpi) {
    switch (d.kind) {
    case ControlKind::Frame: {
        auto *frame = new FrameBox(QString::fromLatin1(d.caption), parent);
        setColours(frame, d.background, Colour::PlatformDefault);
        return frame;
    }
    case ControlKind::Label:
        return createLabel(d, parent);
    case ControlKind::Line:
        return new LineShape(d.left, d.top, d.width, d.height, toQColor(d.background), dpi, parent);
    case ControlKind::Rectangle:
        return new RectangleShape(toQColor(d.background), parent);
    case ControlKind::Button: {
        auto *button = new QPushButton(QString::fromLatin1(d.caption), parent);
        return button;
    }
    }
    return nullptr;
}

QRect pixelRect(const ControlDef &d, double dpi) {
    return QRect(twipsToPixels(d.left, dpi), twipsToPixels(d.top, dpi), twipsToPixels(d.width, dpi),
                 twipsToPixels(d.height, dpi));
}

} // namespace

QColor toQColor(BgrColour colour) {
    return QColor(Colour::red(colour), Colour::green(colour), Colour::blue(colour));
}

QFont windowFont() {
    return arial(8.25, false);
}

std::array<QWidget *, kControlCount> buildControls(QWidget *client, double dpi) {
    std::array<QWidget *, kControlCount> controls{};
    controls[int(ControlId::None)] = client;
    for (const ControlDef &d : controlTable()) {
        QWidget *parent = controls[int(d.parent)];
        QWidget *w = createControl(d, parent, dpi);
        w->setObjectName(QString::fromLatin1(d.name));
        if (d.kind == ControlKind::Label)
            // A box keeps its size whatever it shows. Fixed, a label whose caption changes also
            // spares its frame a layout pass, which Qt would otherwise ask for from the event
            // loop after every new caption.
            w->setFixedSize(pixelRect(d, dpi).size());
        if (d.kind != ControlKind::Line)
            w->setGeometry(pixelRect(d, dpi));
        if (d.toolTip)
            w->setToolTip(QString::fromLatin1(d.toolTip));
        // Only the freeze button takes the focus from a click; the window lets the indicators
        // take it from the Tab key.
        w->setFocusPolicy(d.kind == ControlKind::Button ? Qt::StrongFocus : Qt::NoFocus);
        w->setVisible(d.visible);
        controls[int(d.id)] = w;
    }
    return controls;
}

BuiltMenus buildMenus(QMenuBar *bar) {
    BuiltMenus built;
    for (const MenuDef &d : menuTable()) {
        const QString caption = QString::fromLatin1(d.caption);
        QAction *action = nullptr;
        switch (d.kind) {
        case MenuKind::BarMenu:
        case MenuKind::SubMenu: {
            QMenu *menu = d.kind == MenuKind::BarMenu
                              ? bar->addMenu(caption)
                              : built.menus[int(d.parent)]->addMenu(caption);
            menu->setObjectName(QString::fromLatin1(d.name));
            built.menus[int(d.id)] = menu;
            action = menu->menuAction();
            break;
        }
        case MenuKind::Choice:
            action = built.menus[int(d.parent)]->addAction(caption);
            action->setCheckable(true);
            action->setChecked(d.checkedAtStart);
            break;
        case MenuKind::BarCommand:
            action = bar->addAction(caption);
            break;
        case MenuKind::BarSpacer:
            // A gap between the commands of the bar; choosing it does nothing.
            action = bar->addAction(caption);
            action->setEnabled(false);
            break;
        }
        action->setObjectName(QString::fromLatin1(d.name));
        built.actions[int(d.id)] = action;
    }
    return built;
}
