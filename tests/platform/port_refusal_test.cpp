// What the user is told when a serial device exists but may not be opened.
#include "Pty.h"
#include "platform/PortRefusal.h"

#include <QFile>
#include <QProcess>
#include <QSerialPort>
#include <QtTest>

#include <cerrno>
#include <cstring>
#include <unistd.h>

using Cause = PortRefusal::Cause;
Q_DECLARE_METATYPE(PortRefusal)

namespace {

PortRefusal refusal(Cause cause) {
    PortRefusal r;
    r.cause = cause;
    r.device = "/dev/ttyUSB0";
    r.user = "ann";
    r.group = "dialout";
    r.groupMayOpen = true;
    r.lockFile = "/run/lock/LCK..ttyUSB0";
    return r;
}

} // namespace

class PortRefusalTest : public QObject {
    Q_OBJECT
private slots:
    void adviceSaysHowToGetPast_data() {
        QTest::addColumn<PortRefusal>("refusal");
        QTest::addColumn<QString>("advice");

        const QString join = "\nYour user ann may not open /dev/ttyUSB0. Add it to the group "
                             "dialout, which owns the device (sudo adduser ann dialout), then log "
                             "out and log in again.";
        QTest::newRow("not in the group") << refusal(Cause::NoAccess) << join;
        PortRefusal r = refusal(Cause::NoAccess);
        r.group = "uucp";
        QTest::newRow("the device's own group is named")
            << r << QString(join).replace("dialout", "uucp");
        r = refusal(Cause::NoAccess);
        r.memberOfGroup = true;
        QTest::newRow("added, not logged in again")
            << r
            << "\nYour user ann is in the group dialout, which owns /dev/ttyUSB0, but this "
               "session started before it was added: log out and log in again.";
        r.groupInSession = true;
        QTest::newRow("in the group already: the cause is elsewhere") << r << "";
        r = refusal(Cause::NoAccess);
        r.groupMayOpen = false;
        QTest::newRow("the group may not open it either") << r << "";
        r = refusal(Cause::NoAccess);
        r.group.clear();
        QTest::newRow("a group without a name") << r << "";

        r = refusal(Cause::Locked);
        r.lockHolder = 4242;
        QTest::newRow("locked by a running program")
            << r
            << "\n/dev/ttyUSB0 is in use by another program (process 4242). Close it, then "
               "choose the port again.";
        QTest::newRow("locked, holder unknown")
            << refusal(Cause::Locked)
            << "\n/dev/ttyUSB0 is in use by another program. Close it, then choose the port "
               "again.";
        QTest::newRow("busy") << refusal(Cause::Busy)
                              << "\n/dev/ttyUSB0 is in use by another program. Close it, then "
                                 "choose the port again.";
        QTest::newRow("lock left by an ended program")
            << refusal(Cause::StaleLock)
            << "\n/dev/ttyUSB0 is locked by a program that has ended. Remove its lock file (sudo "
               "rm /run/lock/LCK..ttyUSB0), then choose the port again.";
        QTest::newRow("unknown cause") << refusal(Cause::Unknown) << "";
    }
    void adviceSaysHowToGetPast() {
        QFETCH(PortRefusal, refusal);
        QFETCH(QString, advice);
        QCOMPARE(portRefusalAdvice(refusal), advice);
    }

    void lockFileNames_data() {
        QTest::addColumn<QString>("device");
        QTest::addColumn<QString>("lockFile");
        QTest::newRow("USB adapter") << "/dev/ttyUSB0"
                                     << "/run/lock/LCK..ttyUSB0";
        QTest::newRow("pseudo-terminal") << "/dev/pts/3"
                                         << "/run/lock/LCK..pts_3";
        QTest::newRow("by-id path") << "/dev/serial/by-id/usb-X"
                                    << "/run/lock/LCK..serial_by-id_usb-X";
    }
    void lockFileNames() {
        QFETCH(QString, device);
        QFETCH(QString, lockFile);
        QCOMPARE(serialLockFile(device), lockFile);
    }

    // A port held by another QSerialPort: its lock file names this very process.
    void aHeldPortNamesItsHolder() {
        Pty pty;
        QSerialPort holder(pty.devicePath());
        QVERIFY(holder.open(QIODevice::ReadOnly));
        QSerialPort second(pty.devicePath());
        QVERIFY(!second.open(QIODevice::ReadOnly));
        const PortRefusal r = examinePortRefusal(pty.devicePath(), second.errorString());
        QCOMPARE(r.cause, Cause::Locked);
        QCOMPARE(r.lockHolder, qint64(::getpid()));
        QCOMPARE(r.lockFile, serialLockFile(pty.devicePath()));
    }

    // A lock file whose process has ended, as a program killed without closing leaves it.
    void aLockOfAnEndedProgramIsStale() {
        Pty pty;
        QProcess ended;
        ended.start("true");
        QVERIFY(ended.waitForFinished());
        const qint64 pid = ended.processId() > 0 ? ended.processId() : 0;
        QFile lock(serialLockFile(pty.devicePath()));
        if (!lock.open(QIODevice::WriteOnly))
            QSKIP("the lock folder cannot be written here");
        // The pid of a process that has been reaped; one that no process can have otherwise.
        lock.write(QByteArray::number(pid > 0 ? pid : 0x3fffffff) + "\ngear-monitor\nhost\n");
        lock.close();
        const PortRefusal r =
            examinePortRefusal(pty.devicePath(), "Permission error while locking");
        lock.remove();
        QCOMPARE(r.cause, Cause::StaleLock);
    }

    // A device another program set aside for itself alone: that program is named.
    void aBusyDeviceNamesAProcessHoldingIt() {
        Pty pty;
        PtyHolder other(pty.devicePath(), PtyHolder::As::OpenDescriptor);
        QVERIFY(other.holding());
        const PortRefusal r =
            examinePortRefusal(pty.devicePath(), QString::fromLocal8Bit(std::strerror(EBUSY)));
        QCOMPARE(r.cause, Cause::Busy);
        QCOMPARE(r.lockHolder, other.pid());
    }

    void aFreeDeviceHasNoKnownCause() {
        Pty pty;
        QCOMPARE(examinePortRefusal(pty.devicePath(), "Input/output error").cause, Cause::Unknown);
    }
};

QTEST_GUILESS_MAIN(PortRefusalTest)
#include "port_refusal_test.moc"
