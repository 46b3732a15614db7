#include "link/PortSetup.h"

#include <QtTest>

class PortSetupTest : public QObject {
    Q_OBJECT
private slots:
    void numericValueOfAText_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("value");
        QTest::newRow("whole") << "9600" << 9600.0;
        QTest::newRow("leading blanks") << "  \t42" << 42.0;
        QTest::newRow("trailing letters") << "12abc" << 12.0;
        QTest::newRow("signs") << "-5" << -5.0;
        QTest::newRow("plus") << "+7" << 7.0;
        QTest::newRow("decimal point") << "1.5.3" << 1.5;
        QTest::newRow("leading point") << ".25" << 0.25;
        QTest::newRow("digit too many") << "96000" << 96000.0;
        QTest::newRow("empty") << "" << 0.0;
        QTest::newRow("letters") << "e/Reset" << 0.0;
        QTest::newRow("lone sign") << "-" << 0.0;
        QTest::newRow("lone point") << "." << 0.0;
    }
    void numericValueOfAText() {
        QFETCH(QString, text);
        QFETCH(double, value);
        QCOMPARE(numericValue(text), value);
    }

    void portNumberIsReadFromTheFourthCharacter_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<double>("number");
        QTest::newRow("Com12") << "Com12" << 12.0;
        QTest::newRow("prefix never looked at") << "XYZ3" << 3.0;
        QTest::newRow("no port") << "None/Reset" << 0.0;
        QTest::newRow("empty") << "" << 0.0;
    }
    void portNumberIsReadFromTheFourthCharacter() {
        QFETCH(QString, name);
        QFETCH(double, number);
        QCOMPARE(portNumberOf(name), number);
    }

    // Values are compared whole and case-sensitively; anything else falls back.
    void codesAndTheirFallbacks() {
        const PortParameters p = portParameters({"Com4", "19200", "Mark", "7", "Xon/Xoff", "1.5"});
        QCOMPARE(p.portNumber, 4.0);
        QCOMPARE(p.speed, 19200.0);
        QCOMPARE(p.parity, int16_t(3));
        QCOMPARE(p.dataBits, int16_t(7));
        QCOMPARE(p.flowControl, int16_t(4));
        QCOMPARE(p.stopBits, int16_t(1));
        const PortParameters d = portParameters({"", "", "odd", "9", "rts/cts", "3"});
        QCOMPARE(d.portNumber, 0.0);
        QCOMPARE(d.speed, 0.0);
        QCOMPARE(d.parity, int16_t(0));
        QCOMPARE(d.dataBits, int16_t(8));
        QCOMPARE(d.flowControl, int16_t(0));
        QCOMPARE(d.stopBits, int16_t(0));
        QCOMPARE(flowControlCode("DSR/DTR"), int16_t(2));
        QCOMPARE(parityCode("Space"), int16_t(4));
        QCOMPARE(stopBitsCode("2"), int16_t(2));
    }
};

QTEST_APPLESS_MAIN(PortSetupTest)
#include "port_setup_test.moc"
