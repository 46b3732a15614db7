#include "link/StatusDecoder.h"

#include <QtTest>

namespace {

QString bits(const std::array<bool, kStatusBitCount> &a, int count) {
    QString s;
    for (int i = 0; i < count; ++i)
        s += a[i] ? QLatin1Char('1') : QLatin1Char('0');
    return s;
}

QString flags(const ConfigFlags &f) {
    QString s;
    for (bool b : {f.C0, f.C1, f.C73, f.C121, f.C122})
        s += b ? QLatin1Char('1') : QLatin1Char('0');
    return s;
}

} // namespace

class DecoderTest : public QObject {
    Q_OBJECT
private slots:
    void cleaning_data() {
        QTest::addColumn<QVariant>("data");
        QTest::addColumn<QString>("line");
        QTest::newRow("trailing CR") << QVariant(QStringLiteral("O:101\r")) << "O:101";
        QTest::newRow("only CR LF") << QVariant(QStringLiteral("\r\n")) << "";
        QTest::newRow("LF and CR anywhere") << QVariant(QStringLiteral("\nV:\r2.\n2\r")) << "V:2.2";
        QTest::newRow("two lines become one")
            << QVariant(QStringLiteral("F:1\r\nO:11\r")) << "F:1O:11";
    }
    void cleaning() {
        QFETCH(QVariant, data);
        QFETCH(QString, line);
        QCOMPARE(cleanDelivery(data), line);
    }

    // Each row decodes one line into a fresh state whose bits all start on, so "cleared" is
    // visible; the expected strings cover inputs X0..X111, outputs Y0..Y5 and C0..C122.
    void records_data() {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("inputs");
        QTest::addColumn<QString>("outputs");
        QTest::addColumn<QString>("config");
        const QString allIn(18, QLatin1Char('1'));
        QTest::newRow("full input record") << "I:10000000 00000000 00"
                                           << "100000000000000000"
                                           << "111111"
                                           << "11111";
        QTest::newRow("input separators never read") << "I:00000000110000000101"
                                                     << "000000001000000001"
                                                     << "111111"
                                                     << "11111";
        QTest::newRow("input ends after X7") << "I:11111111"
                                             << "111111110000000000"
                                             << "111111"
                                             << "11111";
        QTest::newRow("input flags other than 1 are off") << "I:1 0x2O:- 1111111x111"
                                                          << "100000001111111011"
                                                          << "111111"
                                                          << "11111";
        QTest::newRow("outputs ignore position 9 on") << "O:01010111" << allIn << "010101"
                                                      << "11111";
        QTest::newRow("short output record") << "O:1" << allIn << "100000"
                                             << "11111";
        QTest::newRow("config one flag clears the rest") << "F:1" << allIn << "111111"
                                                         << "10000";
        QTest::newRow("full config") << "F:01011" << allIn << "111111"
                                     << "01011";
        QTest::newRow("version leaves bits") << "V:2.2.0" << allIn << "111111"
                                             << "11111";
        QTest::newRow("lower-case prefix") << "i:00000000" << allIn << "111111"
                                           << "11111";
        QTest::newRow("empty line") << "" << allIn << "111111"
                                    << "11111";
        QTest::newRow("one character") << "I" << allIn << "111111"
                                       << "11111";
        QTest::newRow("second line's characters fill flags")
            << cleanDelivery(QStringLiteral("F:1\r\nO:11\r")) << allIn << "111111"
            << "10011";
    }
    void records() {
        QFETCH(QString, line);
        QFETCH(QString, inputs);
        QFETCH(QString, outputs);
        QFETCH(QString, config);
        MonitorState state;
        state.InputBits.fill(true);
        state.OutputBits.fill(true);
        state.ConfigFlags = {true, true, true, true, true};
        decodeStatusLine(line, state, QLocale::c());
        QCOMPARE(bits(state.InputBits, kInputCount), inputs);
        QCOMPARE(bits(state.OutputBits, kOutputCount), outputs);
        QCOMPARE(flags(state.ConfigFlags), config);
        // Indexes beyond the controller's inputs and outputs are never written.
        QVERIFY(state.InputBits[kInputCount] && state.OutputBits[kOutputCount]);
    }

    void labels_data() {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<QVariant>("version");
        QTest::addColumn<QVariant>("count");
        const QLocale en(QLocale::English, QLocale::UnitedStates);
        const QLocale de(QLocale::German, QLocale::Germany);
        QTest::newRow("version text as it came")
            << "V:<b>2.2.0</b> " << en << QVariant("<b>2.2.0</b> ") << QVariant();
        QTest::newRow("empty version") << "V:" << en << QVariant("") << QVariant();
        QTest::newRow("count grouped") << "C:1234567" << en << QVariant() << QVariant("1,234,567");
        QTest::newRow("count german") << "C:1234567" << de << QVariant() << QVariant("1.234.567");
        QTest::newRow("count zero") << "C:000" << en << QVariant() << QVariant("0");
        QTest::newRow("count small") << "C:42" << en << QVariant() << QVariant("42");
        QTest::newRow("count not a number") << "C:12a" << en << QVariant() << QVariant("12a");
        QTest::newRow("count fraction") << "C:12.5" << en << QVariant() << QVariant("12.5");
        QTest::newRow("count empty") << "C:" << en << QVariant() << QVariant("");
        QTest::newRow("count overflow")
            << "C:99999999999999999999" << en << QVariant() << QVariant("99999999999999999999");
        QTest::newRow("inputs change no label") << "I:1" << en << QVariant() << QVariant();
    }
    void labels() {
        QFETCH(QString, line);
        QFETCH(QLocale, locale);
        QFETCH(QVariant, version);
        QFETCH(QVariant, count);
        MonitorState state;
        const LabelUpdate update = decodeStatusLine(line, state, locale);
        QCOMPARE(update.firmwareVersion.has_value(), version.isValid());
        QCOMPARE(update.cycleCount.has_value(), count.isValid());
        if (version.isValid())
            QCOMPARE(*update.firmwareVersion, version.toString());
        if (count.isValid())
            QCOMPARE(*update.cycleCount, count.toString());
    }

    void everyLineLowersTheCountDownToItsFloor() {
        MonitorState state;
        state.LinkSilenceCount = 3;
        for (const char *line : {"", "zz", "V:1", "I:1"})
            decodeStatusLine(QString::fromLatin1(line), state, QLocale::c());
        QCOMPARE(state.LinkSilenceCount, int16_t(-1));
        state.LinkSilenceCount = -32767;
        decodeStatusLine("O:1", state, QLocale::c());
        decodeStatusLine("O:1", state, QLocale::c());
        QCOMPARE(state.LinkSilenceCount, int16_t(-32768));
    }
};

QTEST_APPLESS_MAIN(DecoderTest)
#include "decoder_test.moc"
