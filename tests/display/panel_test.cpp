#include "display/IndicatorPanel.h"
#include "link/StartupSequence.h"
#include "link/Watchdog.h"

#include <QtTest>

#include <set>

Q_DECLARE_METATYPE(ControlId)
Q_DECLARE_METATYPE(MonitorState)

namespace {

using C = ControlId;

// The last value written to one property of one control.
std::optional<PropertyWrite> find(const PropertyWrites &writes, C control, Property property) {
    std::optional<PropertyWrite> found;
    for (const PropertyWrite &w : writes)
        if (w.control == control && w.property == property)
            found = w;
    return found;
}

qint64 number(const PropertyWrites &writes, C control, Property property) {
    const auto w = find(writes, control, property);
    return w ? w->number : -1;
}

MonitorState withInputs(std::initializer_list<int> on) {
    MonitorState s;
    for (int i : on)
        s.InputBits[i] = true;
    return s;
}

} // namespace

class PanelTest : public QObject {
    Q_OBJECT
private slots:
    void everyPropertyIsWrittenOnceOnEveryRepaint() {
        const PropertyWrites writes = repaintPanelWrites(MonitorState{});
        std::set<std::pair<int, int>> distinct;
        for (const PropertyWrite &w : writes)
            distinct.insert({int(w.control), int(w.property)});
        // 27 indicators, the OFF box, ten pair boxes, 15 pump and 11 Y4 arrangement writes (both
        // end points of Line1 move in one).
        QCOMPARE(int(writes.size()), 64);
        QCOMPARE(int(distinct.size()), 64);
    }

    void indicatorColours_data() {
        QTest::addColumn<int>("input");  // -1: none
        QTest::addColumn<int>("output"); // -1: none
        QTest::addColumn<ControlId>("control");
        QTest::addColumn<uint>("on");
        QTest::addColumn<uint>("off");
        QTest::newRow("right down light X0")
            << 0 << -1 << C::LG_Right_Down_Light << uint(0x00FF00) << uint(0x004000);
        QTest::newRow("right up light X2")
            << 2 << -1 << C::LG_Right_Up_Light << uint(0x0000FF) << uint(0x000040);
        QTest::newRow("nose up light X5")
            << 5 << -1 << C::LG_Nose_Up_Light << uint(0x0000FF) << uint(0x000040);
        QTest::newRow("up pressure X100")
            << 8 << -1 << C::Hydraulic_Up_Pressure_Switch << uint(0x00FF00) << uint(0x004000);
        QTest::newRow("struts X106")
            << 14 << -1 << C::StrutsCompressed << uint(0x00FF00) << uint(0x004000);
        QTest::newRow("low interlock X106")
            << 14 << -1 << C::Interlock_LOW << uint(0x00FF00) << uint(0x004000);
        QTest::newRow("emergency retract X111")
            << 17 << -1 << C::Emer_Retract_Switch << uint(0x00FF00) << uint(0x004000);
        QTest::newRow("up pump Y0")
            << -1 << 0 << C::Y0_UP_PUMP_CONTROL << uint(0x00FFFF) << uint(0x808080);
        QTest::newRow("power Y0") << -1 << 0 << C::Y0_POWER_PUMP_CONTROL << uint(0x00FFFF)
                                  << uint(0x808080);
        QTest::newRow("hidden down pump Y1")
            << -1 << 1 << C::Y1_DOWN_PUMP_CONTROL << uint(0x00FFFF) << uint(0x808080);
        QTest::newRow("direction Y1")
            << -1 << 1 << C::Y1_DIRECTION_PUMP_CONTROL << uint(0x00FFFF) << uint(0x808080);
        QTest::newRow("horn Y5") << -1 << 5 << C::Y5_Horn << uint(0x00FFFF) << uint(0x808080);
    }
    void indicatorColours() {
        QFETCH(int, input);
        QFETCH(int, output);
        QFETCH(ControlId, control);
        QFETCH(uint, on);
        QFETCH(uint, off);
        MonitorState s;
        QCOMPARE(number(repaintPanelWrites(s), control, Property::Background), qint64(off));
        if (input >= 0)
            s.InputBits[input] = true;
        if (output >= 0)
            s.OutputBits[output] = true;
        // The configuration flags never change what an indicator shows.
        for (bool flags : {false, true}) {
            s.ConfigFlags = {flags, flags, flags, flags, flags};
            QCOMPARE(number(repaintPanelWrites(s), control, Property::Background), qint64(on));
        }
    }

    void gearSwitch_data() {
        QTest::addColumn<MonitorState>("state");
        QTest::addColumn<QString>("upOffDown"); // b = bright, d = dark
        QTest::newRow("neither position") << withInputs({}) << "dbd";
        QTest::newRow("up") << withInputs({6}) << "bdd";
        QTest::newRow("down") << withInputs({7}) << "ddb";
        QTest::newRow("both") << withInputs({6, 7}) << "bdb";
    }
    void gearSwitch() {
        QFETCH(MonitorState, state);
        QFETCH(QString, upOffDown);
        const PropertyWrites w = repaintPanelWrites(state);
        QString seen;
        for (C c : {C::Gear_Switch_Up, C::Gear_Switch_Off, C::Gear_Switch_Down})
            seen += number(w, c, Property::Background) == 0x00FF00 ? 'b' : 'd';
        QCOMPARE(seen, upOffDown);
    }

    void configurationPairs() {
        const C pairs[][2] = {{C::C0_ON, C::C0_OFF},
                              {C::C1_ON, C::C1_OFF},
                              {C::C73_ON, C::C73_OFF},
                              {C::C121_ON, C::C121_OFF},
                              {C::C122_ON, C::C122_OFF}};
        for (int k = 0; k < 5; ++k) {
            MonitorState s;
            bool *flags[] = {&s.ConfigFlags.C0, &s.ConfigFlags.C1, &s.ConfigFlags.C73,
                             &s.ConfigFlags.C121, &s.ConfigFlags.C122};
            *flags[k] = true;
            const PropertyWrites w = repaintPanelWrites(s);
            for (int j = 0; j < 5; ++j) {
                const bool lit = j == k;
                QCOMPARE(number(w, pairs[j][0], Property::Background),
                         qint64(lit ? 0x00FF00 : 0x004000));
                QCOMPARE(number(w, pairs[j][1], Property::Background),
                         qint64(lit ? 0x004000 : 0x00FF00));
            }
        }
    }

    void pumpArrangementFollowsC1() {
        for (bool c1 : {true, false}) {
            MonitorState s;
            s.ConfigFlags.C1 = c1;
            const PropertyWrites w = repaintPanelWrites(s);
            for (C c : {C::Y1_DIRECTION_PUMP_LABEL, C::Y1_DIRECTION_PUMP_CONTROL,
                        C::Y0_POWER_PUMP_LABEL, C::Y0_POWER_PUMP_CONTROL, C::Line3, C::Line4})
                QCOMPARE(number(w, c, Property::Visible), qint64(c1));
            for (C c : {C::Y0_UP_PUMP_LABEL, C::Y0_UP_PUMP_CONTROL, C::Y1_DOWN_PUMP_LABEL,
                        C::Y1_DOWN_PUMP_CONTROL, C::Line2})
                QCOMPARE(number(w, c, Property::Visible), qint64(!c1));
            for (C c : {C::Hydraulic_Up_Pressure_Switch, C::Hydraulic_Up_Pressure_Label})
                QCOMPARE(number(w, c, Property::Top), qint64(c1 ? 1080 : 1260));
            for (C c : {C::Hydraulic_Down_Pressure_Switch, C::Hydraulic_Down_Pressure_Label})
                QCOMPARE(number(w, c, Property::Top), qint64(c1 ? 3120 : 3240));
        }
    }

    void y4ArrangementFollowsC73() {
        for (bool c73 : {true, false}) {
            MonitorState s;
            s.ConfigFlags.C73 = c73;
            const PropertyWrites w = repaintPanelWrites(s);
            QCOMPARE(find(w, C::Y4_Output_Label, Property::Caption)->text,
                     c73 ? "STRUT VALVE" : "SPEED BRAKE");
            QCOMPARE(find(w, C::Y4_Output_Label, Property::ToolTip)->text,
                     c73 ? "Y4 - YELLOW = STRUT valve energized"
                         : "Y4 - YELLOW = Speed Brake being Retracted");
            QCOMPARE(number(w, C::Line1, Property::LineY), qint64(c73 ? 3660 : 3780));
            QCOMPARE(number(w, C::Y4_Output, Property::Top), qint64(c73 ? 4140 : 4020));
            QCOMPARE(number(w, C::Y4_Output_Label, Property::Top), qint64(c73 ? 4140 : 4020));
            QCOMPARE(number(w, C::StrutsCompressed, Property::Visible), qint64(c73));
            QCOMPARE(number(w, C::Interlock_LOWLabel, Property::Visible), qint64(!c73));
            // The interlock frame keeps its bottom edge at 6915 twips.
            const qint64 frameTop = number(w, C::Frame9, Property::Top);
            QCOMPARE(frameTop, qint64(c73 ? 5640 : 5220));
            QCOMPARE(frameTop + number(w, C::Frame9, Property::Height), qint64(6915));
            QVERIFY(!find(w, C::Y4_Output, Property::ToolTip));
        }
    }

    void bitsBeyondTheControllersChangeNothing() {
        MonitorState s;
        const PropertyWrites before = repaintPanelWrites(s);
        for (int i = 18; i < kStatusBitCount; ++i)
            s.InputBits[i] = true;
        for (int i = 6; i < kStatusBitCount; ++i)
            s.OutputBits[i] = true;
        QVERIFY(repaintPanelWrites(s) == before);
    }

    void linkFailedDisplayShowsNoState() {
        const PropertyWrites w = linkFailedWrites();
        for (C c : {C::LG_Right_Up_Light, C::LG_Left_Up_Light, C::LG_Nose_Up_Light})
            QCOMPARE(number(w, c, Property::Background), qint64(0x000040));
        for (C c : {C::C0_ON, C::C0_OFF, C::C73_ON, C::C122_OFF, C::Gear_Switch_Off,
                    C::StrutsCompressed, C::Emer_Retract_Switch})
            QCOMPARE(number(w, c, Property::Background), qint64(0x004000));
        for (C c : {C::Y0_UP_PUMP_CONTROL, C::Y1_DIRECTION_PUMP_CONTROL, C::Y4_Output, C::Y5_Horn})
            QCOMPARE(number(w, c, Property::Background), qint64(0x808080));
        QCOMPARE(find(w, C::FirmwareVersion, Property::Caption)->text, "COMM FAIL");
        QCOMPARE(find(w, C::LG_CycleCount, Property::Caption)->text, "COMM FAIL");
        QCOMPARE(find(w, serialLine(19), Property::Caption)->text, "");
        QCOMPARE(find(w, serialLine(18), Property::Caption)->text, " COMM PORT SETTINGS");
        QCOMPARE(find(w, serialLine(16), Property::Caption)->text, " PLC Version 2.1.3");
        QCOMPARE(find(w, serialLine(6), Property::Caption)->text, "  BAUD      = 9,600");
        QCOMPARE(find(w, serialLine(2), Property::Caption)->text, "  STOP      = 1");
        QCOMPARE(find(w, serialLine(0), Property::Caption)->text, "");
        QCOMPARE(number(w, C::Y0_POWER_PUMP_CONTROL, Property::Visible), 1);
        QCOMPARE(number(w, C::Line2, Property::Visible), 0);
        QCOMPARE(number(w, C::Hydraulic_Down_Pressure_Label, Property::Top), 3120);
        QCOMPARE(find(w, C::Y4_Output_Label, Property::Caption)->text, "STRUT VALVE");
        // The rest of the Y4 arrangement stays as the last live repaint left it.
        QVERIFY(!find(w, C::Frame9, Property::Top));
        QVERIFY(!find(w, C::Line1, Property::LineY));
        QVERIFY(!find(w, C::StrutsCompressed, Property::Visible));
    }

    void watchdogBands_data() {
        QTest::addColumn<int>("before");
        QTest::addColumn<int>("band");
        QTest::addColumn<int>("after");
        QTest::newRow("live") << 5 << int(LinkBand::Live) << 6;
        QTest::newRow("first stale") << 6 << int(LinkBand::Stale) << 7;
        QTest::newRow("last stale") << 9 << int(LinkBand::Stale) << 10;
        QTest::newRow("failed, clamped") << 10 << int(LinkBand::Failed) << 10;
        QTest::newRow("negative pulled up") << -40 << int(LinkBand::Live) << 0;
        QTest::newRow("floor") << -32768 << int(LinkBand::Live) << 0;
    }
    void watchdogBands() {
        QFETCH(int, before);
        QFETCH(int, band);
        QFETCH(int, after);
        const WatchdogStep step = watchdogTick(int16_t(before));
        QCOMPARE(int(step.band), band);
        QCOMPARE(int(step.count), after);
    }

    void startupStagesRunOnceAndTheCountIsHeld() {
        int16_t count = 0;
        QList<int> stageTicks;
        for (int tick = 1; tick <= 1005; ++tick)
            if (startupTick(count) != StartupStage::None)
                stageTicks << tick;
        QCOMPARE(stageTicks, QList<int>({2, 5, 10}));
        QCOMPARE(count, int16_t(1000));
        count = kResetPortTickCount;
        QCOMPARE(startupTick(count), StartupStage::None);
        QCOMPARE(startupTick(count), StartupStage::OpenPort);
    }
};

QTEST_APPLESS_MAIN(PanelTest)
#include "panel_test.moc"
