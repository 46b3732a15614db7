// The window on the program's own serial port (QSerialPort), with a pseudo-terminal as the
// controller: the port is found through a com7 link in the program's folder, chosen from the
// menu, and its lines reach the panel. The only waits are for the port's own signals.
#include "MonitorFixture.h"
#include "ProcessHelpers.h"
#include "Pty.h"
#include "platform/QtHost.h"
#include "platform/QtSerialComponent.h"

#include <QAction>
#include <QFile>
#include <QSerialPort>
#include <QtTest>

#include <ctime>

namespace {

using C = ControlId;
using M = MenuId;

const QStringList kLines = {"V:2.2.0", "C:12", "F:11100", "O:000001", "I:10000000 00000000 00"};

bool linkPort(MonitorFixture &f, const QString &target) {
    return linkComPort(f.host.folder, 7, target);
}

QAction *portItem(MonitorFixture &f, const QString &caption) {
    for (QAction *item : f.window().portItems())
        if (item->text() == caption)
            return item;
    return nullptr;
}

bool portOpen(MonitorFixture &f) {
    return f.host.lastRealSerial->isOpen();
}

} // namespace

class SerialPtyTest : public QObject {
    Q_OBJECT
    std::unique_ptr<MonitorFixture> f;
    std::unique_ptr<Pty> pty;

    // Com7 listed from its link, then chosen at 9600 as a user would: speed first, then port.
    void chooseCom7At9600() {
        QVERIFY(linkPort(*f, pty->devicePath()));
        f->window().LoadPortSettings();
        QAction *com7 = portItem(*f, "Com7");
        QVERIFY(com7);
        f->window().menuItem(M::Menu_Baud_9600)->trigger();
        com7->trigger();
    }

    void receiveLinesAndGoLive() {
        QVERIFY(pty->write((kLines.join('\r') + '\r').toLatin1()));
        QTRY_COMPARE(f->state().LastLine, kLines.last());
        f->ticks(1);
        QVERIFY(!f->shown(C::CommFail));
    }

private slots:
    // Without it the running program would have no port to offer.
    void theProgramsHostMakesTheRealPort() {
        QtHost host{QStringLiteral("VovazuzoVevoZavovav.XML")};
        // The tests' own folder is writable: the settings stay beside the program.
        QCOMPARE(host.settingsFolder(), host.programFolder());
        const std::unique_ptr<SerialComponent> port = host.createSerialComponent();
        QVERIFY(qobject_cast<QtSerialComponent *>(port.get()));
        QVERIFY(!port->isOpen());
    }

    void init() {
        f = std::make_unique<MonitorFixture>(PortKind::Real);
        pty = std::make_unique<Pty>();
        QVERIFY(pty->isOpen());
        QVERIFY(f->host.lastRealSerial);
    }
    void cleanup() {
        f.reset();
        pty.reset();
    }

    void aLinkedPortIsListedChosenAndShowsTheController() {
        chooseCom7At9600();
        QCOMPARE(portItem(*f, "Com7")->toolTip(), pty->devicePath());
        QCOMPARE(f->host.messages, QStringList{});
        QVERIFY(portOpen(*f));
        QCOMPARE(f->state().PortSettings.Name, "Com7");
        const QByteArray file = f->settingsBytes();
        QVERIFY(file.contains("<LG_PORT_NAME>Com7</LG_PORT_NAME>"));
        QVERIFY(file.contains("<LG_PORT_SPEED>9600</LG_PORT_SPEED>"));

        receiveLinesAndGoLive();
        QCOMPARE(f->caption(C::FirmwareVersion), "2.2.0");
        QCOMPARE(f->rendered(C::LG_Right_Down_Light), rgb(0x00FF00));
        QCOMPARE(f->rendered(C::LG_Left_Down_Light), rgb(0x004000));
        QCOMPARE(f->rendered(C::Y5_Horn), rgb(0x00FFFF));
        QCOMPARE(f->rendered(C::LG_CommOK), rgb(0x00FF00));
    }

    void aPortThatCannotOpen_data() {
        QTest::addColumn<QString>("situation");
        QTest::addColumn<QString>("description");
        QTest::newRow("no speed chosen") << "no speed"
                                         << "Invalid baud rate value";
        QTest::newRow("taken by another program") << "taken"
                                                  << "Permission error";
        QTest::newRow("unplugged after the list was built") << "unplugged"
                                                            << "not a serial device";
    }
    void aPortThatCannotOpen() {
        QFETCH(QString, situation);
        QFETCH(QString, description);
        QVERIFY(linkPort(*f, pty->devicePath()));
        f->window().LoadPortSettings();
        if (situation != "no speed")
            f->window().menuItem(M::Menu_Baud_9600)->trigger();
        QSerialPort other(pty->devicePath());
        if (situation == "taken")
            QVERIFY(other.open(QIODevice::ReadOnly));
        if (situation == "unplugged")
            QVERIFY(linkPort(*f, f->host.folder + "/unplugged"));
        f->state().LinkSilenceCount = 0;
        f->ticks(1);

        portItem(*f, "Com7")->trigger();
        QCOMPARE(f->host.messages.size(), 1);
        const QString message = f->host.messages.first();
        QVERIFY2(message.startsWith("LG PORT ERROR : ") && message.contains(description),
                 qPrintable(message));
        QCOMPARE(f->state().PortSettings.Name, "None/Reset");
        QVERIFY(!portOpen(*f));
        f->ticks(1);
        QCOMPARE(f->caption(C::FirmwareVersion), "COMM FAIL");
    }

    // A hang-up closes the port at once: the link is declared lost and the process stays idle
    // (an open port on a hung-up device would report errors in a tight loop).
    void aHangUpDeclaresTheLinkLostAndStaysIdle() {
        chooseCom7At9600();
        QVERIFY(portOpen(*f));
        receiveLinesAndGoLive();

        pty->close();
        QTRY_COMPARE(f->state().LinkSilenceCount, 10);
        QVERIFY(!portOpen(*f));
        const qint64 before = processCpuMs();
        QTest::qWait(300);
        const qint64 used = processCpuMs() - before;
        QVERIFY2(used < 100, qPrintable(QStringLiteral("%1 ms of CPU while idle").arg(used)));

        f->ticks(1);
        QCOMPARE(f->caption(C::FirmwareVersion), "COMM FAIL");
        QCOMPARE(f->rendered(C::LG_CommOK), rgb(0x0000FF));
    }
};

QTEST_MAIN(SerialPtyTest)
#include "serial_pty_test.moc"
