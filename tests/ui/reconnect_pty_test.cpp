// A port whose device goes away is opened again, silently, when the device
// returns; the Port list follows the ports present when the Comm menu opens.
// The controller is a pseudo-terminal behind a comN link; the tries are made by
// calling the reconnect timer's handler, never by sleeping.
#include "MonitorFixture.h"
#include "ProcessHelpers.h"
#include "Pty.h"
#include "link/Recording.h"
#include "platform/QtSerialComponent.h"
#include "ui/SessionRecorder.h"

#include <QAction>
#include <QFile>
#include <QMenu>
#include <QScopeGuard>
#include <QSerialPort>
#include <QtTest>

#include <fstream>

namespace {

using C = ControlId;
using M = MenuId;

const QStringList kLines = {"V:2.2.0", "C:12", "F:11100", "O:000001", "I:10000000 00000000 00"};

QAction *portItem(MonitorFixture &f, const QString &caption) {
    for (QAction *item : f.window().portItems())
        if (item->text() == caption)
            return item;
    return nullptr;
}

// What gear.link says while a test captures it.
QStringList linkLog;
void captureLinkLog(QtMsgType, const QMessageLogContext &context, const QString &text) {
    if (QByteArray(context.category) == "gear.link")
        linkLog << text;
}

QStringList portCaptions(MonitorFixture &f) {
    QStringList captions;
    for (const QAction *item : f.window().portItems())
        captions << item->text();
    return captions;
}

} // namespace

class ReconnectPtyTest : public QObject {
    Q_OBJECT
    std::unique_ptr<MonitorFixture> f;
    std::unique_ptr<Pty> pty;

    bool portOpen() { return f->host.lastRealSerial->isOpen(); }
    bool link(int number, const QString &target) {
        return linkComPort(f->host.folder, number, target);
    }

    void chooseCom7At9600() {
        QVERIFY(link(7, pty->devicePath()));
        f->window().LoadPortSettings();
        QAction *com7 = portItem(*f, "Com7");
        QVERIFY(com7);
        f->window().menuItem(M::Menu_Baud_9600)->trigger();
        com7->trigger();
        QVERIFY(portOpen());
    }

    void receiveLinesAndGoLive(Pty &from) {
        f->state().LastLine.clear();
        QVERIFY(from.write((kLines.join('\r') + '\r').toLatin1()));
        QTRY_COMPARE(f->state().LastLine, kLines.last());
        f->ticks(1);
        QVERIFY(!f->shown(C::CommFail));
        QCOMPARE(f->rendered(C::LG_CommOK), rgb(0x00FF00));
    }

    // Com7 open and live, then its device hangs up: the window waits for it.
    void openThenHangUp() {
        f->state().TickCount = 1000; // start-up long over
        chooseCom7At9600();
        receiveLinesAndGoLive(*pty);
        pty->close();
        QTRY_VERIFY(f->window().waitingForPort());
        QVERIFY(!portOpen());
    }

private slots:
    void init() {
        f = std::make_unique<MonitorFixture>(PortKind::Real);
        pty = std::make_unique<Pty>();
        QVERIFY(pty->isOpen());
    }
    void cleanup() {
        f.reset();
        pty.reset();
    }

    // Whatever way the device comes back, the same settings open it again without
    // a word to the user, and the panel goes live only on the lines that follow.
    void theVanishedPortIsOpenedAgainWhenItReturns_data() {
        QTest::addColumn<QString>("comeback");
        QTest::newRow("a new device at the same link") << "new";
        QTest::newRow("the link re-pointed to a device already there") << "repointed";
        QTest::newRow("busy at first, then free") << "busy";
    }
    void theVanishedPortIsOpenedAgainWhenItReturns() {
        QFETCH(QString, comeback);
        std::unique_ptr<Pty> other;
        if (comeback == "repointed")
            other = std::make_unique<Pty>();
        openThenHangUp();
        const QByteArray settingsBefore = f->settingsBytes();
        const QStringList checkedBefore = f->checkedItems();

        // Gone: the tries fail quietly and the panel shows the link lost.
        f->ticks(1);
        QCOMPARE(f->caption(C::FirmwareVersion), "COMM FAIL");
        QVERIFY(link(7, f->host.folder + "/nowhere"));
        f->window().Reconnect_Timer();
        f->window().Reconnect_Timer();
        QVERIFY(f->window().waitingForPort());
        QVERIFY(!portOpen());

        if (!other)
            other = std::make_unique<Pty>();
        QVERIFY(link(7, other->devicePath()));
        if (comeback == "busy") {
            QSerialPort holder(other->devicePath());
            QVERIFY(holder.open(QIODevice::ReadOnly));
            f->window().Reconnect_Timer();
            QVERIFY(f->window().waitingForPort());
            QVERIFY(!portOpen());
        }
        f->window().Reconnect_Timer();
        QVERIFY(portOpen());
        QVERIFY(!f->window().waitingForPort());

        // Open but silent: still failed until lines arrive.
        f->ticks(1);
        QCOMPARE(f->caption(C::FirmwareVersion), "COMM FAIL");
        receiveLinesAndGoLive(*other);
        QCOMPARE(f->caption(C::FirmwareVersion), "2.2.0");

        QCOMPARE(f->host.messages, QStringList{});
        QCOMPARE(f->host.beeps, 0);
        QCOMPARE(f->settingsBytes(), settingsBefore);
        QCOMPARE(f->checkedItems(), checkedBefore);
        QCOMPARE(f->state().PortSettings.Name, "Com7");
    }

    // A terminal in use is never set up as the port: it keeps its echo and its line editing,
    // so what is typed there stays its own. Chosen by the user, a session's terminal gets the
    // usual message box; one another program holds opens, as the user asked. While waiting,
    // both are refused quietly, named once in the log, and the wait goes on until the device is
    // free.
    void aTerminalInUseIsLeftAlone_data() {
        QTest::addColumn<PtyHolder::As>("holder");
        QTest::addColumn<bool>("whileWaiting");
        QTest::addColumn<bool>("refused");
        using As = PtyHolder::As;
        QTest::newRow("a session's terminal, chosen") << As::SessionTerminal << false << true;
        QTest::newRow("a session's terminal, while waiting") << As::SessionTerminal << true << true;
        QTest::newRow("held by another program, chosen") << As::OpenDescriptor << false << false;
        QTest::newRow("held by another program, while waiting")
            << As::OpenDescriptor << true << true;
    }
    void aTerminalInUseIsLeftAlone() {
        QFETCH(PtyHolder::As, holder);
        QFETCH(bool, whileWaiting);
        QFETCH(bool, refused);
        if (whileWaiting)
            openThenHangUp();
        Pty theirs;
        QVERIFY(theirs.watchSettings());
        auto user = std::make_unique<PtyHolder>(theirs.devicePath(), holder);
        QVERIFY(user->holding());
        QVERIFY(link(7, theirs.devicePath()));
        linkLog.clear();
        QLoggingCategory::setFilterRules("gear.link.info=true");
        const QtMessageHandler before = qInstallMessageHandler(captureLinkLog);
        const auto restore = qScopeGuard([before] {
            qInstallMessageHandler(before);
            QLoggingCategory::setFilterRules({});
        });

        if (whileWaiting) {
            for (int second = 0; second < 3; ++second)
                f->window().Reconnect_Timer();
            QVERIFY(f->window().waitingForPort());
            QCOMPARE(f->host.messages, QStringList{});
            QCOMPARE(linkLog.filter(theirs.devicePath()).size(), 1);
        } else {
            f->window().LoadPortSettings();
            f->window().menuItem(M::Menu_Baud_9600)->trigger();
            portItem(*f, "Com7")->trigger();
        }
        QCOMPARE(portOpen(), !refused);
        QCOMPARE(theirs.echoesAndEditsLines(), refused);
        QCOMPARE(theirs.settingsChangedSinceWatched(), !refused); // not even for a moment
        if (!refused)
            return;
        const QString why = holder == PtyHolder::As::SessionTerminal
                                ? "the controlling terminal of a session (process %1)"
                                : "which another program (process %1) holds open";
        const QStringList told = whileWaiting ? linkLog : f->host.messages;
        QVERIFY2(told.join('\n').contains(why.arg(user->pid())), qPrintable(told.join('\n')));
        if (!whileWaiting) {
            QCOMPARE(f->host.messages.size(), 1);
            QVERIFY(f->host.messages.first().startsWith("LG PORT ERROR : Port Com7 leads to " +
                                                        theirs.devicePath()));
            QCOMPARE(f->state().PortSettings.Name, "None/Reset");
            return;
        }
        // Their program ends: the device is free, and the next try takes it.
        user.reset();
        f->window().Reconnect_Timer();
        QVERIFY(portOpen());
        QVERIFY(!f->window().waitingForPort());
        receiveLinesAndGoLive(theirs);
    }

    // The timer runs only while waiting, once a second.
    void theTimerRunsOnlyWhileWaiting() {
        QTimer *timer = f->window().findChild<QTimer *>("ReconnectTimer");
        QVERIFY(timer);
        QVERIFY(!timer->isActive());
        openThenHangUp();
        QVERIFY(timer->isActive());
        QCOMPARE(timer->interval(), 1000);
        auto back = std::make_unique<Pty>();
        QVERIFY(link(7, back->devicePath()));
        f->window().Reconnect_Timer();
        QVERIFY(!timer->isActive());
    }

    // A recording of the session shows the port going with its device and
    // coming back with it, each once, then closed as the recording ends.
    void aRecordingShowsThePortGoAndComeBack() {
        const QString path = f->host.folder + "/session.rec";
        SessionRecorder::Refusal error;
        f->window().setRecorder(SessionRecorder::create(path, error, [] { return 0; }));
        QVERIFY2(f->window().recorder(), qPrintable(error.reason));
        openThenHangUp();
        f->window().Reconnect_Timer();
        auto back = std::make_unique<Pty>();
        QVERIFY(link(7, back->devicePath()));
        f->window().Reconnect_Timer();
        QVERIFY(portOpen());
        f->window().setRecorder(nullptr);

        std::ifstream in(QFile::encodeName(path).toStdString());
        const auto read = recording::readRecording(in);
        QVERIFY(std::holds_alternative<recording::Recording>(read));
        QStringList portEvents;
        for (const auto &event : std::get<recording::Recording>(read).events)
            if (event.kind != recording::EventKind::Line)
                portEvents << QString::fromLatin1(recording::kindWord(event.kind));
        QCOMPARE(portEvents.mid(portEvents.lastIndexOf("live")),
                 (QStringList{"live", "close", "open", "close"})); // the last: recording ends
    }

    // Each user action during the wait ends it and does just what it does without
    // one.
    void aUserActionEndsTheWait_data() {
        QTest::addColumn<QString>("action");
        QTest::addColumn<bool>("deviceBack");
        QTest::addColumn<bool>("openAfter");
        QTest::addColumn<QString>("nameAfter");
        QTest::addColumn<int>("messages");
        QTest::newRow("RESET PORT, device back") << "reset" << true << true << "Com7" << 0;
        QTest::newRow("RESET PORT, device still gone")
            << "reset" << false << false << "None/Reset" << 1;
        QTest::newRow("None/Reset") << "none" << true << false << "None/Reset" << 0;
        QTest::newRow("a speed choice, device still gone")
            << "speed" << false << false << "None/Reset" << 1;
    }
    void aUserActionEndsTheWait() {
        QFETCH(QString, action);
        QFETCH(bool, deviceBack);
        QFETCH(bool, openAfter);
        QFETCH(QString, nameAfter);
        QFETCH(int, messages);
        openThenHangUp();
        auto back = std::make_unique<Pty>();
        QVERIFY(link(7, deviceBack ? back->devicePath() : f->host.folder + "/nowhere"));

        if (action == "reset") {
            f->window().menuItem(M::ResetPort)->trigger();
            QVERIFY(!f->window().waitingForPort());
            f->ticks(2); // the port is opened two ticks after the click
        } else if (action == "none") {
            portItem(*f, "None/Reset")->trigger();
        } else {
            f->window().menuItem(M::Menu_Baud_9600)->trigger();
        }
        QVERIFY(!f->window().waitingForPort());
        QCOMPARE(portOpen(), openAfter);
        QCOMPARE(f->state().PortSettings.Name, nameAfter);
        QCOMPARE(f->host.messages.size(), messages);
        if (messages > 0)
            QVERIFY(f->host.messages.first().startsWith("LG PORT ERROR : "));

        // Later tries, had any been left, would open the device now.
        QVERIFY(link(7, back->devicePath()));
        f->window().Reconnect_Timer();
        QCOMPARE(portOpen(), openAfter);
    }

    // A port the user chose that cannot open is reported and not waited for.
    void aUserOpenThatFailsIsNotWaitedFor() {
        QVERIFY(link(7, pty->devicePath()));
        f->window().LoadPortSettings();
        QVERIFY(link(7, f->host.folder + "/nowhere"));
        f->window().menuItem(M::Menu_Baud_9600)->trigger();
        portItem(*f, "Com7")->trigger();
        QCOMPARE(f->host.messages.size(), 1);
        QVERIFY(!f->window().waitingForPort());
    }

    // Links at high numbers, clear of the system's own ports (listed as Com1, Com2, ...).
    void thePortListFollowsThePortsPresentWhenTheCommMenuOpens() {
        f->window().LoadPortSettings();
        const QStringList system = portCaptions(*f);
        QVERIFY(!system.contains("Com201") && !system.contains("Com203"));
        QMenu *comm = f->window().menu(M::Menu_Comm);

        // Plugged in after start-up.
        QVERIFY(link(203, pty->devicePath()));
        emit comm->aboutToShow();
        QCOMPARE(portCaptions(*f), system + QStringList{"Com203"});

        // The chosen port stays listed and checked while it is gone; another one goes.
        Pty second;
        QVERIFY(link(201, second.devicePath()));
        emit comm->aboutToShow();
        QCOMPARE(portCaptions(*f), system + QStringList({"Com201", "Com203"}));
        f->window().menuItem(M::Menu_Baud_9600)->trigger();
        portItem(*f, "Com203")->trigger();
        QVERIFY(QFile::remove(f->host.folder + "/com203"));
        QVERIFY(QFile::remove(f->host.folder + "/com201"));
        emit comm->aboutToShow();
        QCOMPARE(portCaptions(*f), system + QStringList{"Com203"});
        QVERIFY(portItem(*f, "Com203")->isChecked());

        // Choosing an item of a rebuilt list opens that port.
        QVERIFY(link(201, second.devicePath()));
        emit comm->aboutToShow();
        portItem(*f, "Com201")->trigger();
        QCOMPARE(f->state().PortSettings.Name, "Com201");
        QVERIFY(portOpen());
        QCOMPARE(f->checkedItems().last(), "Com201");
        QCOMPARE(f->host.messages, QStringList{});
    }
};

QTEST_MAIN(ReconnectPtyTest)
#include "reconnect_pty_test.moc"
