#pragma once

#include "display/Colours.h"
#include "display/ControlId.h"
#include "display/SerialViewLines.h"
#include "link/MonitorState.h"
#include "link/ReconnectWait.h"
#include "ui/MenuId.h"
#include "ui/MessageBoxHold.h"
#include "ui/PaintBudget.h"

#include <QList>
#include <QMainWindow>
#include <QVariant>

#include <array>
#include <memory>

class AccessibilityWatch;
class Host;
class LineShape;
class QAction;
class QGroupBox;
class QLabel;
class QMenu;
class QPushButton;
class QTimer;
class RepaintThrottle;
class SerialViewScroll;
class SerialComponent;
class SessionRecorder;
enum class LinkBand;
struct PropertyWrite;

// The monitor's one window. It owns the controls, the shared MonitorState and the serial
// component, and its handlers are the whole behaviour of the program; the decisions they take
// (decoding, the watchdog, the panel, the settings file, the port parameters) are plain functions
// elsewhere, and the machine is reached only through Host and SerialComponent.
class Form1 : public QMainWindow {
    Q_OBJECT
public:
    static constexpr char kCaption[] = "  Quorvel's Landing Gear Controller Monitor";
    // The window icon, loaded from the program's folder when it is there.
    static constexpr char kIconFileName[] = "DE_Rodidudedu.ico";
    static constexpr int kClientWidthTwips = 10590;
    static constexpr int kClientHeightTwips = 8460;

    explicit Form1(Host &host, QWidget *parent = nullptr);
    ~Form1() override;

    // Controls by name.
    QLabel *label(ControlId id) const;
    // A caption that may not fit its box at the label's font is drawn smaller, never clipped.
    void setCaption(ControlId id, const QString &text);
    QGroupBox *frame(ControlId id) const;
    LineShape *line(ControlId id) const;
    QWidget *control(ControlId id) const { return controls_[int(id)]; }
    QPushButton *freezeButton() const;
    QAction *menuItem(MenuId id) const { return menus_[int(id)]; }
    QMenu *menu(MenuId id) const { return submenus_[int(id)]; }
    const QList<QAction *> &portItems() const { return Menu_Port_Number; }
    QTimer *timer() const { return Timer1; }
    MonitorState &state() { return state_; }
    SerialComponent *serialPort() const { return MSPort1.get(); }

    // Load and close.
    void Form_Load();
    void Form_QueryUnload();

    // The tick and the link watchdog.
    void Timer1_Timer();
    void RunStartupStep();
    void ShowLinkFailed();
    void RepaintPanel();

    // Received lines and the serial data view.
    void MSPort1_OnRead(const QVariant &data);
    void DecodeStatusLine();
    void ScrollSerialView(const QString &line);
    void FreezeButton_Click();
    void Show_Menu_Click();
    // Copies the received lines into the view's labels now, rather than at the next refresh.
    void refreshSerialView();
    // Paints the window at most once per screen refresh; the view's labels follow its lines
    // just before each paint.
    RepaintThrottle *repaintThrottle() const { return throttle_; }
    void ResetPort_Click();

    // Port set-up, menus and the settings file.
    void StartLGPort();
    void LoadPortSettings();
    void Menu_Port_Number_Click(int index);
    void SettingChoice_Click(MenuId item);
    void ClearBaudChecks();
    void ClearParityChecks();
    void ApplyPortSettings(bool save = true);
    void Save_Menu_Click();
    void LoadSaveFiles();

    // An optional recording of the session, told of each line, the port and the link's band.
    void setRecorder(std::unique_ptr<SessionRecorder> recorder);
    SessionRecorder *recorder() const { return recorder_.get(); }
    // The panel mirror's address, shown in the title for whoever started the program without a
    // terminal.
    void setMirrorAddress(const QString &url);

    // A port whose device went away, waited for; the Port list refreshed as the Comm menu opens.
    void Reconnect_Timer();
    void CommMenu_AboutToShow();
    bool waitingForPort() const { return reconnect_.waiting(); }

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void buildWindow();
    void setUpSerialView();
    void serialViewChanged();
    bool serialViewShown() const;
    void connectMenus();
    void apply(const PropertyWrite &write);
    void setBackground(ControlId id, BgrColour colour);
    void showMessage(const QString &text);
    void declareLinkFailed();
    void setUpReconnect();
    void portVanished();
    void endReconnectWait();
    void noteFailedTry(const QString &reason);
    void rebuildPortItems(const QList<int> &ports, const QString &checkedCaption);
    void checkMenusFromSettings();
    void takeLine(const QString &line);
    int readSettings(const QString &path);
    bool readBeforeFirstSave();
    void reportSettingsFailure(int failure, const QString &path);
    void recordLine(const QString &line);
    void recordPortState();
    void recordPortClosing();
    void recordTick(LinkBand band);
    void endRecording();
    void showRecordingInTitle();
    void afterRecording();
    void setUpKeyboard();
    void setUpAccessibility();
    void followAccessibility(bool active);
    void nameIndicator(ControlId id);
    void announceLinkFailure(bool failed);

    Host &host_;
    MonitorState state_;
    double dpi_ = 96;
    std::array<QWidget *, kControlCount> controls_{};
    std::array<QAction *, kMenuCount> menus_{};
    std::array<QMenu *, kMenuCount> submenus_{};
    QList<QAction *> Menu_Port_Number;
    QTimer *Timer1 = nullptr;
    std::unique_ptr<SerialComponent> MSPort1;
    ReconnectWait reconnect_;
    QTimer *reconnectTimer_ = nullptr;

    // Lines, a lost link and ticks that a message box's nested event loop delivers wait here.
    MessageBoxHold hold_;
    std::unique_ptr<SessionRecorder> recorder_;
    QString mirrorAddress_;

    // The serial view's lines, kept for every received line; its labels follow them while it is
    // shown, at most 30 times a second (serialViewBudget_).
    SerialViewLines serialLines_;
    RepaintThrottle *throttle_ = nullptr;
    PaintBudget serialViewBudget_{kSerialViewMilliseconds};
    std::unique_ptr<SerialViewScroll> serialViewScroll_;
    quint64 shownChanges_ = 0;
    // While assistive technology listens the indicators carry their names; it was last told
    // whether the link failed.
    std::unique_ptr<AccessibilityWatch> accessibility_;
    bool indicatorsNamed_ = false;
    bool linkFailureAnnounced_ = false;
};
