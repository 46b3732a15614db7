#include "MonitorFixture.h"

#include <QLabel>
#include <QtTest>

namespace {
using C = ControlId;
const unsigned kRed = 0x0000FF;
const unsigned kBrightGreen = 0x00FF00;
} // namespace

class WatchdogTest : public QObject {
    Q_OBJECT
private slots:
    // With nothing attached the first tick already shows the failed link, and the notice blinks
    // hidden, shown, hidden... from there.
    void noControllerBlinksFromTheFirstTick() {
        MonitorFixture f;
        QVERIFY(f.shown(C::CommFail));
        QString blink;
        for (int tick = 1; tick <= 6; ++tick) {
            f.ticks(1);
            blink += f.shown(C::CommFail) ? '1' : '0';
            QCOMPARE(f.state().LinkSilenceCount, int16_t(10));
        }
        QCOMPARE(blink, "010101");
        QCOMPARE(f.caption(C::FirmwareVersion), "COMM FAIL");
        QCOMPARE(f.caption(serialLine(14)), "Select the correct port");
        QCOMPARE(f.rendered(C::LG_CommOK), rgb(kRed));
        QCOMPARE(f.rendered(C::C1_ON), rgb(0x004000));
        QCOMPARE(f.rendered(C::C1_OFF), rgb(0x004000));
    }

    // The port's reading pauses between paints; a line that came before the tick is counted
    // before the tick counts silence: ten silent ticks and then a line do not fail the link.
    void aLineNotReadYetCountsForTheTick() {
        MonitorFixture f;
        for (int i = 0; i < 10; ++i)
            f.feed("O:000001");
        f.ticks(10);
        QCOMPARE(f.state().LinkSilenceCount, int16_t(10));
        f.serial().unread << QStringLiteral("O:000001\r");
        f.ticks(1);
        QCOMPARE(f.state().LinkSilenceCount, int16_t(10));
        QVERIFY(!f.shown(C::CommFail));
        QCOMPARE(f.rendered(C::Y5_Horn), rgb(0x00FFFF));
    }

    void oneLinePerTickHoldsTheLinkThenSilenceIsDetected() {
        MonitorFixture f;
        // A burst first, so the live count settles at 0 after each tick.
        for (int i = 0; i < 10; ++i)
            f.feed("O:000001");
        for (int tick = 0; tick < 100; ++tick) {
            f.feed("O:000001");
            f.ticks(1);
            QCOMPARE(f.state().LinkSilenceCount, int16_t(0));
            QVERIFY(!f.shown(C::CommFail));
        }
        QCOMPARE(f.rendered(C::LG_CommOK), rgb(kBrightGreen));
        QCOMPARE(f.rendered(C::Y5_Horn), rgb(0x00FFFF));

        // Silent ticks 1-6 stay live, the 7th is stale: red link, the panel untouched.
        f.ticks(6);
        QCOMPARE(f.rendered(C::LG_CommOK), rgb(kBrightGreen));
        f.ticks(1);
        QCOMPARE(f.rendered(C::LG_CommOK), rgb(kRed));
        QCOMPARE(f.rendered(C::Y5_Horn), rgb(0x00FFFF));
        QVERIFY(!f.shown(C::CommFail));
        QCOMPARE(f.caption(serialLine(0)), "O:000001");
        f.ticks(3);
        QCOMPARE(f.rendered(C::Y5_Horn), rgb(0x00FFFF));
        // The 11th silent tick fails the link.
        f.ticks(1);
        QCOMPARE(f.rendered(C::Y5_Horn), rgb(0x808080));
        QVERIFY(f.shown(C::CommFail));
        QCOMPARE(f.caption(C::LG_CycleCount), "COMM FAIL");
        QCOMPARE(f.caption(serialLine(18)), " COMM PORT SETTINGS");
        // The decoded state is left alone.
        QVERIFY(f.state().OutputBits[5]);
    }

    void recoveryFromTheFailedLink_data() {
        QTest::addColumn<int>("linesPerTick");
        QTest::addColumn<int>("staleTicks");
        QTest::newRow("five lines: live at once") << 5 << 0;
        QTest::newRow("four lines") << 4 << 1;
        QTest::newRow("two lines") << 2 << 3;
    }
    void recoveryFromTheFailedLink() {
        QFETCH(int, linesPerTick);
        QFETCH(int, staleTicks);
        MonitorFixture f;
        f.ticks(2); // failed; notice shown after the second tick
        QVERIFY(f.shown(C::CommFail));
        for (int tick = 0; tick < staleTicks; ++tick) {
            for (int i = 0; i < linesPerTick; ++i)
                f.feed("I:00000000 00000000 01");
            f.ticks(1);
            // Stale: the help text, the notice and the dark panel stay.
            QCOMPARE(f.rendered(C::LG_CommOK), rgb(kRed));
            QVERIFY(f.shown(C::CommFail));
            QCOMPARE(f.rendered(C::Emer_Retract_Switch), rgb(0x004000));
        }
        for (int i = 0; i < linesPerTick; ++i)
            f.feed("I:00000000 00000000 01");
        f.ticks(1);
        QCOMPARE(f.rendered(C::LG_CommOK), rgb(kBrightGreen));
        QVERIFY(!f.shown(C::CommFail));
        QCOMPARE(f.rendered(C::Emer_Retract_Switch), rgb(kBrightGreen));
        // The captions keep "COMM FAIL" until records of their own type arrive.
        QCOMPARE(f.caption(C::FirmwareVersion), "COMM FAIL");
        f.feed("V:2.2.0");
        QCOMPARE(f.caption(C::FirmwareVersion), "2.2.0");
    }

    void aBurstIsForgottenByTheNextLiveTick() {
        MonitorFixture f;
        for (int i = 0; i < 500; ++i)
            f.feed("garbage");
        QCOMPARE(f.state().LinkSilenceCount, int16_t(-490));
        f.ticks(1);
        QCOMPARE(f.state().LinkSilenceCount, int16_t(0));
        f.ticks(6);
        QCOMPARE(f.rendered(C::LG_CommOK), rgb(kBrightGreen));
        f.ticks(1);
        QCOMPARE(f.rendered(C::LG_CommOK), rgb(kRed));
    }

    // The link-failed display shows the direction-and-power layout and the strut-valve caption
    // whatever the flags hold; the first live tick brings back what the flags select.
    void linkFailedLayoutAndItsRestoration() {
        MonitorFixture f;
        for (int i = 0; i < 6; ++i)
            f.feed("F:00000");
        f.ticks(1);
        QVERIFY(f.shown(C::Y0_UP_PUMP_CONTROL));
        QCOMPARE(f.caption(C::Y4_Output_Label), "SPEED BRAKE");
        const int frameTop = f.window().control(C::Frame9)->y();
        f.ticks(11);
        QVERIFY(!f.shown(C::Y0_UP_PUMP_CONTROL));
        QVERIFY(f.shown(C::Y1_DIRECTION_PUMP_CONTROL));
        QCOMPARE(f.caption(C::Y4_Output_Label), "STRUT VALVE");
        QCOMPARE(f.window().control(C::Frame9)->y(), frameTop);
        QVERIFY(f.shown(C::Interlock_LOW));
        for (int i = 0; i < 5; ++i)
            f.feed("I:0");
        f.ticks(1);
        QVERIFY(f.shown(C::Y0_UP_PUMP_CONTROL));
        QCOMPARE(f.caption(C::Y4_Output_Label), "SPEED BRAKE");
        QVERIFY(!f.state().ConfigFlags.C1);
    }
};

QTEST_MAIN(WatchdogTest)
#include "watchdog_test.moc"
