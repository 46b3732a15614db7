#include "link/PortOpening.h"
#include "platform/QtSerialComponent.h"

#include "ProcessHelpers.h"
#include "Pty.h"

#include <QtTest>

#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <cmath>
#include <ctime>

namespace {

constexpr int kLinked = 7;

struct LineSettings {
    double speed = 9600;
    int16_t parity = 0;
    int16_t stop = 0;
    int16_t flow = 0;
    int16_t dataBits = 8;
};

// Opens the port as the window does, with these line settings.
SerialResult configureAndOpen(SerialComponent &serial, double port, const LineSettings &s = {}) {
    return openPort(serial, {port, s.speed, s.parity, s.stop, s.flow, s.dataBits});
}

QStringList texts(const QSignalSpy &spy) {
    QStringList out;
    for (const QList<QVariant> &args : spy) {
        const QVariant data = args.at(0).value<QVariant>();
        out << (data.typeId() == QMetaType::QString ? data.toString()
                                                    : QStringLiteral("<not text>"));
    }
    return out;
}

} // namespace

// The component on a real QSerialPort, with a pseudo-terminal as the device, reached through a
// com7 link in a temporary program folder.
class QtSerialComponentTest : public QObject {
    Q_OBJECT
    std::unique_ptr<QTemporaryDir> folder;
    std::unique_ptr<Pty> pty;
    std::unique_ptr<QtSerialComponent> serial;

    bool linkPort(int number, const QString &target) {
        return linkComPort(folder->path(), number, target);
    }

private slots:
    // Every test runs twice: reading as bytes arrive, and reading paused for a refresh after
    // each read, as the window has it.
    void initTestCase_data() {
        QTest::addColumn<int>("readPause");
        QTest::newRow("reading as bytes arrive") << 0;
        QTest::newRow("reading paused after each read") << 17;
    }
    void init() {
        QFETCH_GLOBAL(int, readPause);
        folder = std::make_unique<QTemporaryDir>();
        pty = std::make_unique<Pty>();
        QVERIFY(folder->isValid());
        QVERIFY(pty->isOpen());
        QVERIFY(linkPort(kLinked, pty->devicePath()));
        serial = std::make_unique<QtSerialComponent>(folder->path());
        serial->setReadPause(readPause);
    }
    void cleanup() {
        serial.reset();
        pty.reset();
        folder.reset();
    }

    void linkedPortIsListedAndDeliversLines() {
        QVERIFY(serial->listPorts().contains(kLinked));
        QCOMPARE(serial->portDevice(kLinked), pty->devicePath());
        QSignalSpy reads(serial.get(), &SerialComponent::OnRead);
        const SerialResult r = configureAndOpen(*serial, kLinked);
        QVERIFY2(r.ok, qPrintable(r.description));
        QVERIFY(serial->isOpen());

        QVERIFY(pty->write("V:1.0\rC:1"));
        QTRY_COMPARE(reads.count(), 1);
        QVERIFY(pty->write(QByteArray("2\rI:10\xB0\r")));
        QTRY_COMPARE(reads.count(), 3);
        QCOMPARE(texts(reads),
                 (QStringList{"V:1.0\r", "C:12\r", QString::fromLatin1("I:10\xB0\r")}));
    }

    // Asked to, the port reads what the system holds at once, however long its pause, and
    // delivers it before returning; the pause itself never drops or reorders a byte.
    void readWaitingDeliversDuringAPause() {
        serial->setReadPause(60'000);
        QVERIFY(configureAndOpen(*serial, kLinked).ok);
        QSignalSpy reads(serial.get(), &SerialComponent::OnRead);
        QVERIFY(pty->write("A\r"));
        QTRY_COMPARE(reads.count(), 1);
        QVERIFY(pty->write("B\rC"));
        QVERIFY(pty->write("\rD\r"));
        QTRY_VERIFY((serial->readWaiting(), reads.count() == 4));
        QCOMPARE(texts(reads), (QStringList{"A\r", "B\r", "C\r", "D\r"}));
    }

    // Every code the menus can produce must be accepted by a real port.
    void settingsOpen_data() {
        QTest::addColumn<LineSettings>("settings");
        QTest::newRow("9600 8N1") << LineSettings{};
        QTest::newRow("odd, 1.5 stop, 7 bits") << LineSettings{14400, 1, 1, 0, 7};
        QTest::newRow("even, 2 stop, RTS/CTS") << LineSettings{128000, 2, 2, 1, 8};
        QTest::newRow("mark, DSR/DTR") << LineSettings{110, 3, 0, 2, 8};
        QTest::newRow("space, Xon/Xoff") << LineSettings{256000, 4, 0, 4, 7};
    }
    void settingsOpen() {
        QFETCH(LineSettings, settings);
        const SerialResult r = configureAndOpen(*serial, kLinked, settings);
        QVERIFY2(r.ok, qPrintable(r.description));
        QVERIFY(serial->isOpen());
    }

    void refusedSettings_data() {
        QTest::addColumn<std::function<SerialResult(SerialComponent &)>>("call");
        using Call = std::function<SerialResult(SerialComponent &)>;
        QTest::newRow("parity 5") << Call([](SerialComponent &s) { return s.setParity(5); });
        QTest::newRow("stop 3") << Call([](SerialComponent &s) { return s.setStopBits(3); });
        QTest::newRow("flow 3") << Call([](SerialComponent &s) { return s.setFlowControl(3); });
        QTest::newRow("CR LF terminator")
            << Call([](SerialComponent &s) { return s.setLineTerminator("\r\n"); });
        QTest::newRow("port 7.5") << Call([](SerialComponent &s) { return s.setPortNumber(7.5); });
        QTest::newRow("port NaN") << Call([](SerialComponent &s) { return s.setPortNumber(NAN); });
    }
    void refusedSettings() {
        QFETCH(std::function<SerialResult(SerialComponent &)>, call);
        const SerialResult r = call(*serial);
        QVERIFY(!r.ok);
        QVERIFY(!r.description.isEmpty());
    }

    void openFails_data() {
        QTest::addColumn<QString>("situation");
        QTest::addColumn<QString>("description");
        QTest::newRow("no such port") << "missing"
                                      << "There is no port Com4242";
        QTest::newRow("speed 0") << "speed 0"
                                 << "Invalid baud rate value";
        QTest::newRow("speed beyond range") << "speed 1e12"
                                            << "Invalid baud rate value";
        QTest::newRow("link leads nowhere") << "dangling"
                                            << "which is not a serial device";
        QTest::newRow("link to the null device") << "/dev/null"
                                                 << "which is not a serial device";
        QTest::newRow("link to the zero device") << "/dev/zero"
                                                 << "which is not a serial device";
        QTest::newRow("port taken") << "taken"
                                    << "Permission error while locking the device";
    }
    void openFails() {
        QFETCH(QString, situation);
        QFETCH(QString, description);
        QtSerialComponent other(folder->path());
        double port = kLinked;
        LineSettings settings;
        if (situation == "missing")
            port = 4242;
        else if (situation == "speed 0")
            settings.speed = 0;
        else if (situation == "speed 1e12")
            settings.speed = 1e12;
        else if (situation == "dangling")
            QVERIFY(linkPort(kLinked, folder->filePath("unplugged")));
        else if (situation.startsWith("/dev/"))
            QVERIFY(linkPort(kLinked, situation));
        else if (situation == "taken")
            QVERIFY(configureAndOpen(other, kLinked).ok);

        const SerialResult r = configureAndOpen(*serial, port, settings);
        QVERIFY(!r.ok);
        QVERIFY2(r.description.contains(description), qPrintable(r.description));
        QVERIFY(!serial->isOpen());
        if (situation.startsWith("/dev/")) // not offered either
            QVERIFY(!serial->listPorts().contains(kLinked));
    }

    // A hang-up leaves QSerialPort reporting errors in a tight loop unless the port is closed.
    void hangUpClosesThePortAndStaysQuiet() {
        QVERIFY(configureAndOpen(*serial, kLinked).ok);
        QSignalSpy lost(serial.get(), &SerialComponent::linkLost);
        pty->close();
        QVERIFY(lost.wait(5000));
        QVERIFY(!serial->isOpen());
        QVERIFY(!lost.at(0).at(0).toString().isEmpty());

        const qint64 before = processCpuMs();
        QTest::qWait(300);
        const qint64 used = processCpuMs() - before;
        QVERIFY2(used < 100, qPrintable(QStringLiteral("%1 ms of CPU while idle").arg(used)));
        QCOMPARE(lost.count(), 1);
    }

    // The number is turned into a device at each open, so a device that comes back under the
    // same link opens again.
    void reopensWhenTheDeviceIsBack() {
        QVERIFY(configureAndOpen(*serial, kLinked).ok);
        QSignalSpy lost(serial.get(), &SerialComponent::linkLost);
        pty->close();
        QVERIFY(lost.wait(5000));

        Pty back;
        QVERIFY(linkPort(kLinked, back.devicePath()));
        QSignalSpy reads(serial.get(), &SerialComponent::OnRead);
        const SerialResult r = serial->setOpen(true);
        QVERIFY2(r.ok, qPrintable(r.description));
        QVERIFY(back.write("O:101\r"));
        QTRY_COMPARE(texts(reads), QStringList{"O:101\r"});
    }

    // While a vanished port is waited for, one look at its link tells whether a try is worth
    // making: the link dangling, re-pointed, or its device back.
    void lastDevicePresentFollowsTheLink() {
        QVERIFY(serial->lastDevicePresent()); // nothing opened yet: it cannot tell
        QVERIFY(configureAndOpen(*serial, kLinked).ok);
        QVERIFY(serial->lastDevicePresent());
        QSignalSpy lost(serial.get(), &SerialComponent::linkLost);
        const QString gone = pty->devicePath();
        pty->close();
        QVERIFY(lost.wait(5000));
        QVERIFY(!QFile::exists(gone) || !serial->lastDevicePresent());
        QVERIFY(linkPort(kLinked, folder->path() + "/nowhere"));
        QVERIFY(!serial->lastDevicePresent());
        Pty other;
        QVERIFY(linkPort(kLinked, other.devicePath()));
        QVERIFY(serial->lastDevicePresent());
    }

    // A partial line does not survive a close: it would be glued to the next session's first line.
    void closeForgetsThePartialLine() {
        QVERIFY(configureAndOpen(*serial, kLinked).ok);
        QSignalSpy reads(serial.get(), &SerialComponent::OnRead);
        QVERIFY(pty->write("A\rhalf"));
        QTRY_COMPARE(reads.count(), 1);
        QVERIFY(serial->setOpen(false).ok);
        const SerialResult reopened = serial->setOpen(true);
        QVERIFY2(reopened.ok, qPrintable(reopened.description));
        QVERIFY(pty->write("B\r"));
        QTRY_COMPARE(texts(reads), (QStringList{"A\r", "B\r"}));
    }

    // A receiver that lets events run mid-line gets no line inside its own handling, and the
    // lines keep their order.
    void linesArrivingDuringAHandlerWaitTheirTurn() {
        QVERIFY(configureAndOpen(*serial, kLinked).ok);
        QStringList got;
        int depth = 0, deepest = 0;
        connect(serial.get(), &SerialComponent::OnRead, this, [&](const QVariant &data) {
            deepest = std::max(deepest, ++depth);
            got << data.toString();
            if (got.size() == 1) {
                QVERIFY(pty->write("C\r"));
                QTest::qWait(200); // long enough for C to be read
            }
            --depth;
        });
        QVERIFY(pty->write("A\rB\r"));
        QTRY_COMPARE(got.size(), 3);
        QCOMPARE(got, (QStringList{"A\r", "B\r", "C\r"}));
        QCOMPARE(deepest, 1);
    }
};

QTEST_GUILESS_MAIN(QtSerialComponentTest)
#include "qt_serial_component_test.moc"
