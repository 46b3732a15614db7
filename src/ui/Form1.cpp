#include "ui/Form1.h"

#include "display/Colours.h"
#include "display/PropertyWrite.h"
#include "platform/Host.h"
#include "platform/SerialComponent.h"
#include "settings/SaveLeftovers.h"
#include "settings/SettingsFile.h"
#include "ui/AccessibilityWatch.h"
#include "ui/AppIcon.h"
#include "ui/RepaintThrottle.h"
#include "ui/SerialViewScroll.h"
#include "ui/SessionRecorder.h"
#include "ui/Twips.h"
#include "ui/VersionLine.h"
#include "ui/Widgets.h"
#include "ui/WindowBuilder.h"

#include <QAction>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QGroupBox>
#include <QGuiApplication>
#include <QIcon>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QTimer>

namespace {

constexpr int kTickMilliseconds = 500;

} // namespace

Form1::Form1(Host &host, QWidget *parent)
    : QMainWindow(parent), host_(host),
      hold_([this] { Timer1_Timer(); },
            [this] { QTimer::singleShot(0, this, &Form1::Timer1_Timer); }) {
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QString::fromLatin1(kCaption));
    setWindowIcon(builtInAppIcon());
    buildWindow();
    throttle_ = new RepaintThrottle(this);
    setUpSerialView();
    connectMenus();
    setUpReconnect();
    setUpAccessibility();

    // The tick runs from the moment the window exists until it closes.
    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(kTickMilliseconds);
    connect(Timer1, &QTimer::timeout, this, &Form1::Timer1_Timer);
    Timer1->start();

    Form_Load();
}

Form1::~Form1() = default;

void Form1::buildWindow() {
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        dpi_ = screen->logicalDotsPerInchY();
    setFont(windowFont());
    auto *client = new QWidget(this);
    client->setObjectName(QStringLiteral("ClientArea"));
    client->setFixedSize(twipsToPixels(kClientWidthTwips, dpi_),
                         twipsToPixels(kClientHeightTwips, dpi_));
    setCentralWidget(client);
    controls_ = buildControls(client, dpi_);
    const BuiltMenus built = buildMenus(menuBar());
    menus_ = built.actions;
    submenus_ = built.menus;
    // The freeze button is the only control that a click gives the keyboard focus.
    setFocusPolicy(Qt::NoFocus);
    menuBar()->setFocusPolicy(Qt::NoFocus);
    setUpKeyboard();
}

void Form1::Form_Load() {
    label(ControlId::VersionNumber)->setText(versionLine());
    removeInterruptedSaves(settingsFilePath(host_.settingsFolder()));

    MSPort1 = host_.createSerialComponent();
    if (MSPort1) {
        connect(MSPort1.get(), &SerialComponent::OnRead, this, &Form1::MSPort1_OnRead);
        connect(MSPort1.get(), &SerialComponent::linkLost, this, &Form1::portVanished);
        MSPort1->setReadPause(RepaintThrottle::kReadPauseMilliseconds);
    } else {
        showMessage(QStringLiteral("The serial port could not be set up: the monitor runs "
                                   "without a controller port."));
    }

    // A missing or unreadable icon file keeps the built-in icon.
    const QIcon icon(host_.programFolder() + QDir::separator() + QLatin1String(kIconFileName));
    if (!icon.availableSizes().isEmpty())
        setWindowIcon(icon);

    setBackground(ControlId::LG_CommOK, Colour::Red);
    state_.LinkSilenceCount = kLinkFailedCount;
    for (int i = 0; i < kSerialViewLines; ++i)
        label(serialLine(i))->clear();
}

// The close request is never refused.
void Form1::closeEvent(QCloseEvent *event) {
    Form_QueryUnload();
    event->accept();
}

// Every step is carried out whatever the one before it met.
void Form1::Form_QueryUnload() {
    endReconnectWait();
    if (MSPort1 && MSPort1->isOpen())
        (void)MSPort1->setOpen(false);
    // The recording ends with the port's close: what the events let in below do comes after.
    endRecording();
    host_.processEvents();
    host_.processEvents();
    // The settings file is never left open, so there is no file to close here.
    Timer1->stop();
    host_.processEvents();
    // A tick let in above may have reopened the port: the program ends with it closed.
    if (MSPort1 && MSPort1->isOpen())
        (void)MSPort1->setOpen(false);
    if (MSPort1)
        MSPort1->disconnect(this);
    QCoreApplication::quit();
}

QLabel *Form1::label(ControlId id) const {
    return static_cast<QLabel *>(controls_[int(id)]);
}

void Form1::setCaption(ControlId id, const QString &text) {
    static_cast<BoxLabel *>(label(id))->setCaption(text);
}

QGroupBox *Form1::frame(ControlId id) const {
    return static_cast<QGroupBox *>(controls_[int(id)]);
}

LineShape *Form1::line(ControlId id) const {
    return static_cast<LineShape *>(controls_[int(id)]);
}

QPushButton *Form1::freezeButton() const {
    return static_cast<QPushButton *>(controls_[int(ControlId::FreezeButton)]);
}

// Most lines repaint an indicator in the colour it already has: that is left alone.
void Form1::setBackground(ControlId id, BgrColour colour) {
    QWidget *w = controls_[int(id)];
    const QColor wanted = toQColor(colour);
    if (w->testAttribute(Qt::WA_SetPalette) && w->palette().color(QPalette::Window) == wanted)
        return;
    QPalette palette = w->palette();
    palette.setColor(QPalette::Window, wanted);
    w->setPalette(palette);
    if (indicatorsNamed_)
        nameIndicator(id);
}

void Form1::apply(const PropertyWrite &write) {
    QWidget *w = controls_[int(write.control)];
    const int twips = int(write.number);
    switch (write.property) {
    case Property::Background:
        setBackground(write.control, BgrColour(write.number));
        break;
    case Property::Visible:
        w->setVisible(write.number != 0);
        break;
    case Property::Top:
        w->move(w->x(), twipsToPixels(twips, dpi_));
        break;
    case Property::Height:
        w->resize(w->width(), twipsToPixels(twips, dpi_));
        break;
    case Property::LineY:
        line(write.control)->setVertical(twips);
        break;
    case Property::Caption:
        setCaption(write.control, write.text);
        break;
    case Property::ToolTip:
        w->setToolTip(write.text);
        if (write.control == ControlId::Y4_Output_Label && indicatorsNamed_)
            nameIndicator(ControlId::Y4_Output);
        break;
    }
}

void Form1::showMessage(const QString &text) {
    hold_.boxOpened();
    host_.showMessage(text);
    hold_.boxClosed();
}

void Form1::declareLinkFailed() {
    if (hold_.holdEvent([this] { declareLinkFailed(); }))
        return;
    state_.LinkSilenceCount = kLinkFailedCount;
}
