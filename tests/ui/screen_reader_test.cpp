#include "MonitorFixture.h"
#include "ui/MenuId.h"

#include <QAccessible>
#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QtTest>

namespace {
using C = ControlId;

// Two frames of the controller, enough for the next tick to be live: the gear down and locked,
// or up with the pump running up.
void feedGearDown(MonitorFixture &f) {
    for (int i = 0; i < 2; ++i) {
        f.feed("I:11001000 00000000 00");
        f.feed("O:000000");
        f.feed("F:11100");
    }
}
void feedGearUp(MonitorFixture &f) {
    for (int i = 0; i < 2; ++i) {
        f.feed("I:00110100 00000000 00");
        f.feed("O:100000");
        f.feed("F:11100");
    }
}

} // namespace

class ScreenReaderTest : public QObject {
    Q_OBJECT
private slots:
    // Offscreen, Qt's own bridge never becomes active: the test says so in its place. The events
    // themselves are read from the real accessibility bus by the end-to-end test.
    void cleanup() { QAccessible::setActive(false); }

    // With no assistive technology the boxes carry no names and nothing is announced.
    void silentWithoutAssistiveTechnology() {
        MonitorFixture f;
        f.ticks(1);
        feedGearDown(f);
        f.ticks(1);
        QVERIFY(f.window().control(C::LG_Nose_Down_Light)->accessibleName().isEmpty());
    }

    // The names follow the panel, the link-failed display included.
    void namesFollowThePanel() {
        MonitorFixture f;
        QAccessible::setActive(true);
        Form1 &w = f.window();
        f.ticks(3);
        QCOMPARE(w.control(C::LG_CommOK)->accessibleName(),
                 "Receiving Data GREEN = OK, RED = BAD, no data");
        QCOMPARE(w.control(C::LG_Nose_Down_Light)->accessibleName(),
                 "X4 = Indicates the Nose gear is down, switch open");

        feedGearDown(f);
        f.ticks(1);
        QCOMPARE(w.control(C::LG_CommOK)->accessibleName(),
                 "Receiving Data GREEN = OK, RED = BAD, receiving data");
        QCOMPARE(w.control(C::LG_Nose_Down_Light)->accessibleName(),
                 "X4 = Indicates the Nose gear is down, switch closed");
        QCOMPARE(w.control(C::C1_ON)->accessibleName(),
                 "C1 = ON Hydraulic relays use Direction and Power relays (DEFAULT), selected");
        // The caption box keeps its caption, and every tooltip is the description.
        QAccessibleInterface *caption = QAccessible::queryAccessibleInterface(w.control(C::Label1));
        QCOMPARE(caption->text(QAccessible::Name), "SWITCH");
        QAccessibleInterface *light =
            QAccessible::queryAccessibleInterface(w.control(C::LG_Nose_Down_Light));
        QCOMPARE(light->text(QAccessible::Description), "X4 = Indicates the Nose gear is down");

        feedGearUp(f);
        f.ticks(1);
        QCOMPARE(w.control(C::LG_Nose_Up_Light)->accessibleName(),
                 "X5 = Indicates the Nose gear is UP, switch closed");
        QCOMPARE(w.control(C::Y0_POWER_PUMP_CONTROL)->accessibleName(),
                 "Y0 - YELLOW = Power is applied to the Direction relay, output on");
        feedGearUp(f);
        f.ticks(20);
        QCOMPARE(w.control(C::LG_Nose_Up_Light)->accessibleName(),
                 "X5 = Indicates the Nose gear is UP, switch open");
        QCOMPARE(w.control(C::C1_ON)->accessibleName(),
                 "C1 = ON Hydraulic relays use Direction and Power relays (DEFAULT), not selected");
    }

    // Y4's name says what it drives now, as its caption box does.
    void y4NamedForTheSpeedBrake() {
        MonitorFixture f;
        QAccessible::setActive(true);
        for (int i = 0; i < 5; ++i) {
            f.feed("O:000010");
            f.feed("F:11000");
        }
        f.ticks(1);
        QCOMPARE(f.window().control(C::Y4_Output)->accessibleName(),
                 "Y4 - YELLOW = Speed Brake being Retracted, output on");
    }

    // Turned on later, assistive technology finds every box named at the next tick.
    void namesAppearWhenAssistiveTechnologyStarts() {
        MonitorFixture f;
        f.ticks(1);
        QVERIFY(f.window().control(C::LG_CommOK)->accessibleName().isEmpty());
        QAccessible::setActive(true);
        f.ticks(1);
        QCOMPARE(f.window().control(C::LG_CommOK)->accessibleName(),
                 "Receiving Data GREEN = OK, RED = BAD, no data");
    }
};

QTEST_MAIN(ScreenReaderTest)
#include "screen_reader_test.moc"
