// Opening the controller's port from the window: what the serial component is told, in which
// order, and how a refusal falls back to no port.
#include "MonitorFixture.h"

#include <QtTest>

namespace {

using C = ControlId;

PortSettingsRecord settings(const QString &name, const QString &speed, const QString &parity,
                            const QString &data, const QString &flow, const QString &stop) {
    return {name, speed, parity, data, flow, stop};
}

QStringList fields(const PortSettingsRecord &s) {
    return {s.Name, s.Speed, s.Parity, s.DataLength, s.FlowControl, s.StopBits};
}

const PortSettingsRecord k9600on3 = settings("Com3", "9600", "None", "8", "None", "1");

// Everything after the optional close, as the component must receive it: all settings while
// closed, the port number late, opening last.
QStringList openSequence(const QString &parity, const QString &stop, const QString &flow,
                         const QString &data, const QString &speed, const QString &port) {
    return {"parity " + parity, "stop " + stop, "flow " + flow,   "data " + data,
            "switch1 0",        "switch2 0",    "speed " + speed, "port " + port,
            "terminator CR",    "option 5000",  "open 1"};
}

// Brings the link to live, so a later COMM FAIL can only come from what the test did.
void makeLinkLive(MonitorFixture &f) {
    f.state().LinkSilenceCount = 0;
    f.ticks(1);
    QVERIFY(!f.shown(C::CommFail));
}

} // namespace

Q_DECLARE_METATYPE(PortSettingsRecord)

class PortSetupTest : public QObject {
    Q_OBJECT
private slots:
    void settingsBecomeCodesInOrder_data() {
        QTest::addColumn<PortSettingsRecord>("record");
        QTest::addColumn<bool>("startsOpen");
        QTest::addColumn<QStringList>("calls");
        QTest::newRow("9600 8N1 on Com3, closed")
            << k9600on3 << false << openSequence("0", "0", "0", "8", "9600", "3");
        QTest::newRow("an open port is closed first")
            << k9600on3 << true
            << QStringList{"open 0"} + openSequence("0", "0", "0", "8", "9600", "3");
        QTest::newRow("odd, 1.5 stop, RTS/CTS, 7 bits, Com12")
            << settings("Com12", "110", "Odd", "7", "RTS/CTS", "1.5") << false
            << openSequence("1", "1", "1", "7", "110", "12");
        QTest::newRow("even, 2 stop, DSR/DTR")
            << settings("Com1", "115200", "Even", "8", "DSR/DTR", "2") << false
            << openSequence("2", "2", "2", "8", "115200", "1");
        QTest::newRow("mark, Xon/Xoff is code 4")
            << settings("Com2", "256000", "Mark", "8", "Xon/Xoff", "1") << false
            << openSequence("3", "0", "4", "8", "256000", "2");
        QTest::newRow("space") << settings("Com2", "300", "Space", "8", "None", "1") << false
                               << openSequence("4", "0", "0", "8", "300", "2");
        QTest::newRow("other spellings fall back to 8N1 without flow control")
            << settings("Com4", "9600", "odd", "9", "rts/cts", "3") << false
            << openSequence("0", "0", "0", "8", "9600", "4");
        QTest::newRow("empty speed is 0, the name's first three letters are not read")
            << settings("XYZ5", "", "None", "", "", "") << false
            << openSequence("0", "0", "0", "8", "0", "5");
        QTest::newRow("a speed is the number the text starts with")
            << settings("Com6", " 96000x", "None", "8", "None", "1") << false
            << openSequence("0", "0", "0", "8", "96000", "6");
    }
    void settingsBecomeCodesInOrder() {
        QFETCH(PortSettingsRecord, record);
        QFETCH(bool, startsOpen);
        QFETCH(QStringList, calls);
        MonitorFixture f;
        f.state().PortSettings = record;
        f.serial().open = startsOpen;
        f.window().StartLGPort();
        QCOMPARE(f.serial().calls, calls);
        QVERIFY(f.serial().open);
        QVERIFY(f.host.messages.isEmpty());
        QCOMPARE(f.state().PortSettings.Name, record.Name);
    }

    void noPortOnlyCloses_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("startsOpen");
        QTest::addColumn<QStringList>("calls");
        QTest::newRow("None/Reset, open") << "None/Reset" << true << QStringList{"open 0"};
        QTest::newRow("None/Reset, closed") << "None/Reset" << false << QStringList{};
        QTest::newRow("empty name, open") << "" << true << QStringList{"open 0"};
        QTest::newRow("port 0") << "Com0" << true << QStringList{"open 0"};
        QTest::newRow("negative port") << "Com-2" << false << QStringList{};
    }
    void noPortOnlyCloses() {
        QFETCH(QString, name);
        QFETCH(bool, startsOpen);
        QFETCH(QStringList, calls);
        MonitorFixture f;
        f.state().PortSettings = k9600on3;
        f.state().PortSettings.Name = name;
        f.state().LinkSilenceCount = 3;
        f.serial().open = startsOpen;
        f.window().StartLGPort();
        QCOMPARE(f.serial().calls, calls);
        QVERIFY(!f.serial().open);
        QVERIFY(f.host.messages.isEmpty());
        QCOMPARE(f.state().LinkSilenceCount, 3);
    }

    // Whichever step is refused: the user is told, the port is left closed, the record names no
    // port (so RESET PORT will not retry it) and the next tick shows the link as lost.
    void aRefusedStepFallsBackToNoPort_data() {
        QTest::addColumn<QString>("failOn");
        QTest::addColumn<int>("callsMade");
        const QStringList steps = openSequence("", "", "", "", "", "");
        for (int i = 0; i < steps.size(); ++i) {
            const QString step = steps.at(i).trimmed();
            QTest::addRow("%s refused", qPrintable(step)) << step << i + 1;
        }
    }
    void aRefusedStepFallsBackToNoPort() {
        QFETCH(QString, failOn);
        QFETCH(int, callsMade);
        MonitorFixture f;
        makeLinkLive(f);
        const PortSettingsRecord before = settings("Com3", "19200", "Even", "7", "RTS/CTS", "2");
        f.state().PortSettings = before;
        f.serial().failOn = failOn;
        f.serial().failText = "Port Com3 is busy";
        f.serial().calls.clear();

        f.window().StartLGPort();
        QCOMPARE(f.serial().calls.size(), callsMade);
        QCOMPARE(f.host.messages, QStringList{"LG PORT ERROR : Port Com3 is busy"});
        QVERIFY(!f.serial().open);
        PortSettingsRecord expected = before;
        expected.Name = "None/Reset";
        QCOMPARE(fields(f.state().PortSettings), fields(expected));
        QCOMPARE(f.state().LinkSilenceCount, 10);

        f.ticks(1);
        QCOMPARE(f.caption(C::FirmwareVersion), "COMM FAIL");
        QCOMPARE(f.rendered(C::LG_CommOK), rgb(0x0000FF));

        // A second start (RESET PORT) does not retry the port that failed.
        f.serial().calls.clear();
        f.serial().failOn.clear();
        f.window().StartLGPort();
        QCOMPARE(f.serial().calls, QStringList{});
        QCOMPARE(f.host.messages.size(), 1);
    }

    void aPortThatWillNotCloseIsReportedOnce() {
        MonitorFixture f;
        f.state().PortSettings = k9600on3;
        f.serial().open = true;
        f.serial().failOn = "open 0";
        f.window().StartLGPort();
        QCOMPARE(f.host.messages, QStringList{"LG PORT ERROR : scripted failure"});
        QCOMPARE(f.state().PortSettings.Name, "None/Reset");
        QCOMPARE(f.state().LinkSilenceCount, 10);
    }

    // The start-up opens the port on tick 10 with what the settings file held.
    void tickTenOpensThePort() {
        MonitorFixture f;
        f.state().PortSettings = k9600on3;
        f.host.messages.clear();
        f.ticks(9);
        QVERIFY(!f.serial().calls.contains("open 1"));
        f.ticks(1);
        QCOMPARE(f.serial().calls.last(), "open 1");
        QVERIFY(f.serial().open);
    }
};

QTEST_MAIN(PortSetupTest)
#include "port_setup_test.moc"
