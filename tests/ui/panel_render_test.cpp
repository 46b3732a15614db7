#include "MonitorFixture.h"
#include "ui/Widgets.h"

#include <QLabel>
#include <QtTest>

namespace {
using C = ControlId;
}

class PanelRenderTest : public QObject {
    Q_OBJECT
private slots:
    void decodedLinesPaintTheIndicators() {
        MonitorFixture f;
        f.feed("I:10000000 00000000 00");
        f.feed("O:100000");
        f.feed("F:11100");
        f.window().RepaintPanel();
        const struct {
            C control;
            unsigned colour;
        } expected[] = {
            {C::LG_Right_Down_Light, 0x00FF00},
            {C::LG_Left_Down_Light, 0x004000},
            {C::LG_Right_Up_Light, 0x000040},
            {C::Gear_Switch_Off, 0x00FF00},
            {C::Y0_POWER_PUMP_CONTROL, 0x00FFFF},
            {C::Y1_DIRECTION_PUMP_CONTROL, 0x808080},
            {C::Y5_Horn, 0x808080},
            {C::C0_ON, 0x00FF00},
            {C::C0_OFF, 0x004000},
            {C::C121_ON, 0x004000},
            {C::C122_OFF, 0x00FF00},
            {C::Emer_Retract_Switch, 0x004000},
        };
        for (const auto &e : expected)
            QCOMPARE(f.rendered(e.control), rgb(e.colour));
        // The legend keeps its colours whatever the controller reports.
        QCOMPARE(f.rendered(C::Label16), rgb(0x0000FF));
        QCOMPARE(f.rendered(C::Label24), rgb(0x808080));
    }

    void pumpLayoutInPixels() {
        MonitorFixture f;
        Form1 &w = f.window();
        f.feed("F:00000");
        w.RepaintPanel();
        QVERIFY(f.shown(C::Y0_UP_PUMP_CONTROL) && f.shown(C::Line2));
        QVERIFY(!f.shown(C::Y0_POWER_PUMP_LABEL) && !f.shown(C::Line3));
        QCOMPARE(w.control(C::Hydraulic_Up_Pressure_Switch)->y(), 84);
        QCOMPARE(w.control(C::Hydraulic_Down_Pressure_Label)->y(), 216);
        f.feed("F:01000");
        w.RepaintPanel();
        QVERIFY(!f.shown(C::Y0_UP_PUMP_CONTROL) && !f.shown(C::Line2));
        QVERIFY(f.shown(C::Y0_POWER_PUMP_LABEL) && f.shown(C::Line4));
        QCOMPARE(w.control(C::Hydraulic_Up_Pressure_Switch)->y(), 72);
        QCOMPARE(w.control(C::Hydraulic_Down_Pressure_Label)->y(), 208);
        // The left edge never moves.
        QCOMPARE(w.control(C::Hydraulic_Up_Pressure_Switch)->x(), 188);
    }

    void y4LayoutAndInterlockFrameInPixels() {
        MonitorFixture f;
        Form1 &w = f.window();
        f.feed("F:00100");
        f.feed("I:00000000 00000010 00");
        f.feed("O:000010");
        w.RepaintPanel();
        QVERIFY(f.shown(C::StrutsCompressed) && !f.shown(C::Interlock_LOW));
        QCOMPARE(f.caption(C::Y4_Output_Label), "STRUT VALVE");
        QCOMPARE(w.control(C::Frame9)->geometry(), QRect(16, 376, 113, 85));
        QCOMPARE(w.control(C::Y4_Output)->y(), 276);
        QCOMPARE(w.line(C::Line1)->y(), 244);
        QCOMPARE(f.rendered(C::StrutsCompressed), rgb(0x00FF00));
        QCOMPARE(f.rendered(C::Y4_Output), rgb(0x00FFFF));

        f.feed("F:00000");
        w.RepaintPanel();
        QVERIFY(!f.shown(C::StrutsCompressed) && f.shown(C::Interlock_LOW));
        QCOMPARE(f.caption(C::Y4_Output_Label), "SPEED BRAKE");
        QCOMPARE(w.control(C::Y4_Output_Label)->toolTip(),
                 "Y4 - YELLOW = Speed Brake being Retracted");
        QCOMPARE(w.control(C::Frame9)->geometry(), QRect(16, 348, 113, 113));
        QCOMPARE(w.control(C::Y4_Output)->y(), 268);
        QCOMPARE(w.line(C::Line1)->y(), 252);
        QCOMPARE(f.rendered(C::Interlock_LOW), rgb(0x00FF00));
        QCOMPARE(f.rendered(C::Y4_Output), rgb(0x00FFFF));
    }
};

QTEST_MAIN(PanelRenderTest)
#include "panel_render_test.moc"
