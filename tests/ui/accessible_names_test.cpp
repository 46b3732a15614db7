#include "display/Colours.h"
#include "ui/AccessibleNames.h"

#include <QtTest>

#include <algorithm>

Q_DECLARE_METATYPE(ControlId)
Q_DECLARE_METATYPE(BgrColour)

namespace {
using C = ControlId;
namespace Col = Colour;
} // namespace

class AccessibleNamesTest : public QObject {
    Q_OBJECT
private slots:
    // The tooltip's address and meaning, its runs of spaces closed up, then the legend's words
    // for the colour the box shows.
    void nameIsMeaningThenState_data() {
        QTest::addColumn<ControlId>("id");
        QTest::addColumn<BgrColour>("colour");
        QTest::addColumn<QString>("meaning");
        QTest::addColumn<QString>("name");
        const QString noseUp = "X5 = Indicates the Nose gear is UP";
        QTest::newRow("gear-up light lit")
            << C::LG_Nose_Up_Light << Col::Red << QString() << noseUp + ", switch closed";
        QTest::newRow("gear-up light dark")
            << C::LG_Nose_Up_Light << Col::DarkRed << QString() << noseUp + ", switch open";
        QTest::newRow("down light lit") << C::LG_Right_Down_Light << Col::BrightGreen << QString()
                                        << "X0 = Indicates the Right gear is down, switch closed";
        QTest::newRow("spaces closed up")
            << C::Emer_Retract_Switch << Col::DarkGreen << QString()
            << "X111 - ON = Emergency Retract Switch is ON, OFF = Emergency Retract Switch is "
               "OFF, switch open";
        QTest::newRow("gear switch OFF box") << C::Gear_Switch_Off << Col::BrightGreen << QString()
                                             << "Gear switch is in the OFF position, switch closed";
        QTest::newRow("output on") << C::Y5_Horn << Col::Yellow << QString()
                                   << "Y5 - YELLOW = Horn Relay is Energized, output on";
        QTest::newRow("output off") << C::Y2_UP_NOSE_CONTROL << Col::Grey << QString()
                                    << "Y2 - YELLOW = Motor Is running in the UP direction, "
                                       "output off";
        QTest::newRow("configuration box lit")
            << C::C0_OFF << Col::BrightGreen << QString()
            << "C0 = OFF Hydraulic Switches are NO and CLOSE under pressure, selected";
        QTest::newRow("configuration box dark")
            << C::C122_ON << Col::DarkGreen << QString()
            << "C122 ON - Nose gear has its own Electric Actuator, not selected";
        QTest::newRow("link receiving") << C::LG_CommOK << Col::BrightGreen << QString()
                                        << "Receiving Data GREEN = OK, RED = BAD, receiving data";
        QTest::newRow("link silent") << C::LG_CommOK << Col::Red << QString()
                                     << "Receiving Data GREEN = OK, RED = BAD, no data";
        QTest::newRow("Y4 on the speed brake")
            << C::Y4_Output << Col::Yellow << "Y4 - YELLOW = Speed Brake being Retracted"
            << "Y4 - YELLOW = Speed Brake being Retracted, output on";
        // Before the first repaint a box shows the creation colour, which means no state yet.
        QTest::newRow("not painted yet") << C::Canopy_Closed_Switch << Col::MediumGreen << QString()
                                         << "X105 - ON = Canopy is Open, OFF = Canopy is Closed";
        QTest::newRow("colour of another kind") << C::Y5_Horn << Col::BrightGreen << QString()
                                                << "Y5 - YELLOW = Horn Relay is Energized";
        // Captions name themselves.
        QTest::newRow("caption box") << C::Label1 << Col::White << QString() << QString();
        QTest::newRow("notice") << C::CommFail << Col::PlatformDefault << QString() << QString();
        QTest::newRow("value box") << C::FirmwareVersion << Col::White << QString() << QString();
    }
    void nameIsMeaningThenState() {
        QFETCH(ControlId, id);
        QFETCH(BgrColour, colour);
        QFETCH(QString, meaning);
        QFETCH(QString, name);
        QCOMPARE(accessibleName(id, colour, meaning), name);
    }

    // Every box whose colour is a state is in the reading order, in the table's order, and the
    // legend's sample boxes are not.
    void readingOrderHoldsEveryStateBox() {
        const std::vector<ControlId> &order = indicatorReadingOrder();
        QCOMPARE(int(order.size()), 39); // 28 inputs and outputs, 10 configuration boxes, the link
        QCOMPARE(order.front(), C::Emer_Retract_Switch);
        QCOMPARE(order.back(), C::C122_OFF);
        for (C id :
             {C::LG_Nose_Up_Light, C::LG_Left_Up_Light, C::LG_Right_Up_Light, C::LG_Nose_Down_Light,
              C::LG_Left_Down_Light, C::LG_Right_Down_Light, C::LG_CommOK, C::Gear_Switch_Off})
            QVERIFY(std::count(order.begin(), order.end(), id) == 1);
        for (C legend : {C::Label5, C::Label16, C::Label6, C::Label17, C::Label21, C::Label24})
            QVERIFY(std::count(order.begin(), order.end(), legend) == 0);
        for (C id : order)
            QVERIFY2(!accessibleName(id, Colour::Grey).isEmpty(), QByteArray::number(int(id)));
    }
};

QTEST_APPLESS_MAIN(AccessibleNamesTest)
#include "accessible_names_test.moc"
