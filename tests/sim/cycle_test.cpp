// The gear cycle, advanced frame by frame.

#include "GearCycle.h"

#include <QtTest>

#include <vector>

using namespace gearsim;

Q_DECLARE_METATYPE(gearsim::GearPhase)

namespace {

// Advances until `phase` is reached (at most one cycle).
void runTo(GearCycle &cycle, GearPhase phase) {
    for (int i = 0; i <= GearCycle::framesPerCycle() && cycle.phase() != phase; ++i)
        cycle.advance();
    QCOMPARE(cycle.phase(), phase);
}

ConfigFlags configFromBits(int bits) {
    return {bool(bits & 16), bool(bits & 8), bool(bits & 4), bool(bits & 2), bool(bits & 1)};
}

} // namespace

class CycleTest : public QObject {
    Q_OBJECT
private slots:
    // The phases come in flight order, each for its length, and the count rises by one exactly
    // when the gear is down and locked again.
    void fullCycles() {
        const std::vector<GearPhase> order = {GearPhase::DownAtRest,  GearPhase::TakeOff,
                                              GearPhase::SwitchUp,    GearPhase::PumpingUp,
                                              GearPhase::UpPressure,  GearPhase::UpCruise,
                                              GearPhase::UpDescent,   GearPhase::SwitchDown,
                                              GearPhase::PumpingDown, GearPhase::DownPressure};
        GearCycle cycle({}, 41);
        for (std::uint64_t round = 0; round < 3; ++round) {
            for (GearPhase phase : order) {
                for (int frame = 0; frame < GearCycle::framesIn(phase); ++frame) {
                    QCOMPARE(cycle.phase(), phase);
                    QCOMPARE(cycle.frameInPhase(), frame);
                    QCOMPARE(cycle.cycleCount(), 41 + round);
                    cycle.advance();
                }
            }
        }
        QCOMPARE(cycle.phase(), GearPhase::DownAtRest);
        QCOMPARE(cycle.cycleCount(), 44u);
    }

    // C1 on: Y0 powers the pump and Y1 on means UP; C1 off: Y0 runs it up, Y1 down.
    void pumpRelays_data() {
        QTest::addColumn<bool>("c1");
        QTest::addColumn<GearPhase>("phase");
        QTest::addColumn<bool>("y0");
        QTest::addColumn<bool>("y1");
        QTest::newRow("power+direction, up") << true << GearPhase::PumpingUp << true << true;
        QTest::newRow("power+direction, up pressure")
            << true << GearPhase::UpPressure << true << true;
        QTest::newRow("power+direction, down") << true << GearPhase::PumpingDown << true << false;
        QTest::newRow("power+direction, idle") << true << GearPhase::UpCruise << false << false;
        QTest::newRow("up/down relays, up") << false << GearPhase::PumpingUp << true << false;
        QTest::newRow("up/down relays, down") << false << GearPhase::PumpingDown << false << true;
        QTest::newRow("up/down relays, down pressure")
            << false << GearPhase::DownPressure << false << true;
        QTest::newRow("up/down relays, idle") << false << GearPhase::DownAtRest << false << false;
    }
    void pumpRelays() {
        QFETCH(bool, c1);
        QFETCH(GearPhase, phase);
        QFETCH(bool, y0);
        QFETCH(bool, y1);
        ConfigFlags config;
        config.c1 = c1;
        GearCycle cycle(config);
        runTo(cycle, phase);
        QCOMPARE(cycle.outputs()[Y0_PumpUpOrPower], y0);
        QCOMPARE(cycle.outputs()[Y1_PumpDownOrDirection], y1);
    }

    // Normally-closed switches (C0 on) open under pressure; normally-open ones close.
    void pressureSwitches_data() {
        QTest::addColumn<bool>("c0");
        QTest::addColumn<GearPhase>("phase");
        QTest::addColumn<bool>("x100");
        QTest::addColumn<bool>("x101");
        QTest::newRow("NC, down pressure held") << true << GearPhase::DownAtRest << true << false;
        QTest::newRow("NC, in transit") << true << GearPhase::PumpingUp << true << true;
        QTest::newRow("NC, up pressure reached") << true << GearPhase::UpPressure << false << true;
        QTest::newRow("NO, down pressure held") << false << GearPhase::DownAtRest << false << true;
        QTest::newRow("NO, in transit") << false << GearPhase::PumpingDown << false << false;
        QTest::newRow("NO, up pressure held") << false << GearPhase::UpCruise << true << false;
    }
    void pressureSwitches() {
        QFETCH(bool, c0);
        QFETCH(GearPhase, phase);
        QFETCH(bool, x100);
        QFETCH(bool, x101);
        ConfigFlags config;
        config.c0 = c0;
        GearCycle cycle(config);
        runTo(cycle, phase);
        QCOMPARE(cycle.inputs()[X100_UpPressureSwitch], x100);
        QCOMPARE(cycle.inputs()[X101_DownPressureSwitch], x101);
    }

    // The retraction in the order a pilot sees it: switch UP with the gear still down, pump on
    // with no lights, up lights with the pressure, then the pump off.
    void retractionSequence() {
        GearCycle cycle;
        runTo(cycle, GearPhase::SwitchUp);
        QVERIFY(cycle.inputs()[X6_GearSwitchUp] && !cycle.inputs()[X7_GearSwitchDown]);
        QVERIFY(cycle.inputs()[X0_RightDownLight] && !cycle.outputs()[Y0_PumpUpOrPower]);
        cycle.advance();
        QCOMPARE(cycle.phase(), GearPhase::PumpingUp);
        QVERIFY(!cycle.inputs()[X0_RightDownLight] && !cycle.inputs()[X2_RightUpLight]);
        QVERIFY(cycle.outputs()[Y0_PumpUpOrPower]);
        runTo(cycle, GearPhase::UpPressure);
        for (Input up : {X2_RightUpLight, X3_LeftUpLight, X5_NoseUpLight})
            QVERIFY(cycle.inputs()[up]);
        cycle.advance();
        QVERIFY(!cycle.outputs()[Y0_PumpUpOrPower] && cycle.inputs()[X2_RightUpLight]);
    }

    // Throttle to idle with the gear up sounds the horn until alarm mute is pressed; the mute
    // lasts until the gear is down, and the next flight warns again.
    void gearUpWarning() {
        GearCycle cycle;
        for (int round = 0; round < 2; ++round) {
            runTo(cycle, GearPhase::UpDescent);
            QVERIFY(cycle.inputs()[X104_ThrottleIdle]);
            QVERIFY(cycle.outputs()[Y5_Horn]);
            int pressedFrames = 0;
            while (cycle.phase() != GearPhase::DownAtRest) {
                pressedFrames += cycle.inputs()[X110_AlarmMute];
                if (pressedFrames > 0)
                    QVERIFY2(!cycle.outputs()[Y5_Horn], "horn after mute");
                cycle.advance();
            }
            QCOMPARE(pressedFrames, 1);
        }
    }

    // Rules that hold in every frame of a cycle under every wiring.
    void invariants() {
        for (int bits = 0; bits < 32; ++bits) {
            const ConfigFlags config = configFromBits(bits);
            GearCycle cycle(config);
            bool hornSounded = false;
            for (int frame = 0; frame < GearCycle::framesPerCycle(); ++frame, cycle.advance()) {
                const InputBits in = cycle.inputs();
                const OutputBits out = cycle.outputs();
                QVERIFY(in[X6_GearSwitchUp] != in[X7_GearSwitchDown]);
                QVERIFY(!(in[X0_RightDownLight] && in[X2_RightUpLight]));
                QVERIFY(!(in[X103_ThrottleFull] && in[X104_ThrottleIdle]));
                QVERIFY(!in[X111_EmergencyRetract]);
                if (!config.c1)
                    QVERIFY(!(out[Y0_PumpUpOrPower] && out[Y1_PumpDownOrDirection]));
                if (!config.c122)
                    QVERIFY(!out[Y2_NoseMotorUp] && !out[Y3_NoseMotorDown]);
                if (in[X0_RightDownLight])
                    QVERIFY2(!out[Y5_Horn], "horn with the gear down and locked");
                hornSounded = hornSounded || out[Y5_Horn];
            }
            QVERIFY(hornSounded);
        }
    }

    // Each leg's lock light comes on its own frame after the switch, as framesToLock says; a slow
    // leg later and the pump with it; a stuck leg never up, yet it comes down as usual.
    void legLocks_data() {
        QTest::addColumn<int>("slowExtra"); // frames added to the left leg
        QTest::addColumn<bool>("noseStuck");
        QTest::addColumn<QList<int>>("upAfter");   // right, left, nose; -1 never
        QTest::addColumn<QList<int>>("downAfter"); // right, left, nose
        QTest::addColumn<int>("pumpFrames");
        QTest::newRow("default") << 0 << false << QList<int>{4, 5, 3} << QList<int>{4, 5, 3} << 4;
        QTest::newRow("left slow")
            << 6 << false << QList<int>{4, 11, 3} << QList<int>{4, 11, 3} << 10;
        QTest::newRow("nose stuck")
            << 0 << true << QList<int>{4, 5, -1} << QList<int>{4, 5, 3} << 4;
    }
    void legLocks() {
        QFETCH(int, slowExtra);
        QFETCH(bool, noseStuck);
        QFETCH(QList<int>, upAfter);
        QFETCH(QList<int>, downAfter);
        QFETCH(int, pumpFrames);
        LegTiming legs;
        legs.frames(Leg::Left) += slowExtra;
        legs.isStuck(Leg::Nose) = noseStuck;
        QCOMPARE(GearCycle::framesIn(GearPhase::PumpingUp, legs), pumpFrames);
        const Input up[] = {X2_RightUpLight, X3_LeftUpLight, X5_NoseUpLight};
        const Input down[] = {X0_RightDownLight, X1_LeftDownLight, X4_NoseDownLight};
        for (bool retracting : {true, false}) {
            GearCycle cycle({}, 0, legs);
            runTo(cycle, retracting ? GearPhase::SwitchUp : GearPhase::SwitchDown);
            const QList<int> &expected = retracting ? upAfter : downAfter;
            QList<int> seen = {-1, -1, -1};
            for (int after = 0; after < GearCycle::framesPerCycle(legs) / 2; ++after) {
                for (std::size_t leg = 0; leg < 3; ++leg) {
                    const bool lit = cycle.inputs()[retracting ? up[leg] : down[leg]];
                    if (lit && seen[leg] < 0)
                        seen[leg] = after;
                    // the other light goes out the frame after the switch and stays out
                    if (after >= 1 && seen[leg] < 0)
                        QVERIFY(!cycle.inputs()[retracting ? down[leg] : up[leg]]);
                }
                cycle.advance();
            }
            QCOMPARE(seen, expected);
            for (std::size_t leg = 0; leg < 3; ++leg)
                QCOMPARE(GearCycle::framesToLock(kLegs[leg], retracting, legs).value_or(-1),
                         expected[leg]);
        }
    }

    // Y4 follows C73: strut valve while retracting, or speed brake retracted for take-off.
    void y4Use_data() {
        QTest::addColumn<bool>("c73");
        QTest::addColumn<GearPhase>("phase");
        QTest::addColumn<bool>("y4");
        QTest::newRow("strut valve, retracting") << true << GearPhase::PumpingUp << true;
        QTest::newRow("strut valve, take-off") << true << GearPhase::TakeOff << false;
        QTest::newRow("speed brake, take-off") << false << GearPhase::TakeOff << true;
        QTest::newRow("speed brake, retracting") << false << GearPhase::PumpingUp << false;
    }
    void y4Use() {
        QFETCH(bool, c73);
        QFETCH(GearPhase, phase);
        QFETCH(bool, y4);
        ConfigFlags config;
        config.c73 = c73;
        GearCycle cycle(config);
        runTo(cycle, phase);
        QCOMPARE(cycle.outputs()[Y4_StrutValveOrSpeedBrake], y4);
    }
};

QTEST_GUILESS_MAIN(CycleTest)
#include "cycle_test.moc"
