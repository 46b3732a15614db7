// The records as the simulator writes them, and the monitor's decoder reading them back.

#include "FrameComposer.h"
#include "GearCycle.h"
#include "StatusRecords.h"

#include "link/StatusDecoder.h"

#include <QtTest>

using namespace gearsim;

namespace {

template <std::size_t N> std::array<bool, N> bitsFrom(const char *text) {
    std::array<bool, N> bits{};
    for (std::size_t i = 0; i < N; ++i)
        bits[i] = text[i] == '1';
    return bits;
}

QString flagText(const std::array<bool, kStatusBitCount> &bits, int count) {
    QString text;
    for (int i = 0; i < count; ++i)
        text += bits[i] ? QLatin1Char('1') : QLatin1Char('0');
    return text;
}

template <std::size_t N> QString flagText(const std::array<bool, N> &bits) {
    QString text;
    for (bool on : bits)
        text += on ? QLatin1Char('1') : QLatin1Char('0');
    return text;
}

QString flagText(const ::ConfigFlags &f) {
    return flagText(std::array<bool, 5>{f.C0, f.C1, f.C73, f.C121, f.C122});
}

QString configText(const gearsim::ConfigFlags &f) {
    return flagText(std::array<bool, 5>{f.c0, f.c1, f.c73, f.c121, f.c122});
}

} // namespace

class RecordsTest : public QObject {
    Q_OBJECT
private slots:
    void records_data() {
        QTest::addColumn<QString>("record");
        QTest::addColumn<QString>("expected");
        const auto row = [](const char *name, const std::string &record, const char *expected) {
            QTest::newRow(name) << QString::fromStdString(record) << QString::fromLatin1(expected);
        };
        row("inputs: X0 only", inputRecord(bitsFrom<InputCount>("100000000000000000")),
            "I:10000000 00000000 00");
        row("inputs: groups split after X7 and X107",
            inputRecord(bitsFrom<InputCount>("000000011000000101")), "I:00000001 10000001 01");
        row("inputs: all on", inputRecord(bitsFrom<InputCount>("111111111111111111")),
            "I:11111111 11111111 11");
        row("outputs: Y0", outputRecord(bitsFrom<OutputCount>("100000")), "O:100000");
        row("outputs: Y1 and Y5", outputRecord(bitsFrom<OutputCount>("010001")), "O:010001");
        row("config: default", configRecord(gearsim::ConfigFlags{}), "F:11100");
        row("config: C122 only", configRecord({false, false, false, false, true}), "F:00001");
        row("count: zero", countRecord(0), "C:0");
        row("count: large, no grouping on the wire", countRecord(1234567), "C:1234567");
        row("version", versionRecord("2.4.1 beta"), "V:2.4.1 beta");
        row("version: empty", versionRecord(""), "V:");
        row("version: CR and LF cannot split the record", versionRecord("1.\r\n2"), "V:1.2");
    }
    void records() {
        QFETCH(QString, record);
        QFETCH(QString, expected);
        QCOMPARE(record, expected);
    }

    void configFlags_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("parsed"); // empty: refused
        QTest::newRow("default") << "11100"
                                 << "11100";
        QTest::newRow("each position lands on its relay") << "01011"
                                                          << "01011";
        QTest::newRow("too short") << "1110"
                                   << "";
        QTest::newRow("too long") << "111000"
                                  << "";
        QTest::newRow("not a flag") << "1110x"
                                    << "";
        QTest::newRow("empty") << ""
                               << "";
    }
    void configFlags() {
        QFETCH(QString, text);
        QFETCH(QString, parsed);
        const auto flags = parseConfigFlags(text.toStdString());
        QCOMPARE(flags ? configText(*flags) : QString(), parsed);
    }

    // Every line of every frame over two whole cycles, through the monitor's own cleaning and
    // decoding, gives back exactly the cycle's bits, flags, count and version.
    void decoderReadsBack_data() {
        QTest::addColumn<QString>("config");
        for (const char *config : {"11100", "00011", "10101", "01010"})
            QTest::newRow(config) << QString::fromLatin1(config);
    }
    void decoderReadsBack() {
        QFETCH(QString, config);
        GearCycle cycle(*parseConfigFlags(config.toStdString()), 998);
        FrameComposer composer("1.0-test");
        MonitorState state;
        for (int frame = 0; frame < 2 * GearCycle::framesPerCycle(); ++frame) {
            LabelUpdate labels;
            for (const std::string &piece : composer.compose(cycle)) {
                QVERIFY(piece.ends_with("\r\n"));
                const QString line = cleanDelivery(QString::fromStdString(piece));
                const LabelUpdate update = decodeStatusLine(line, state, QLocale::c());
                if (update.firmwareVersion)
                    labels.firmwareVersion = update.firmwareVersion;
                if (update.cycleCount)
                    labels.cycleCount = update.cycleCount;
            }
            QCOMPARE(flagText(state.InputBits, kInputCount), flagText(cycle.inputs()));
            QCOMPARE(flagText(state.OutputBits, kOutputCount), flagText(cycle.outputs()));
            QCOMPARE(flagText(state.ConfigFlags), config);
            QCOMPARE(labels.firmwareVersion, QStringLiteral("1.0-test"));
            QCOMPARE(labels.cycleCount, QString::number(cycle.cycleCount()));
            cycle.advance();
        }
        QCOMPARE(cycle.cycleCount(), 1000u);
    }
};

QTEST_GUILESS_MAIN(RecordsTest)
#include "records_test.moc"
