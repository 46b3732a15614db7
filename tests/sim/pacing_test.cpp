// What goes out when: frame plans, silence and end, malformed lines, and the options that set
// them.

#include "FrameComposer.h"
#include "Garbage.h"
#include "Schedule.h"
#include "SimArguments.h"
#include "SimOptions.h"

#include <QtTest>

using namespace gearsim;

namespace {

bool isRecordPrefix(const std::string &piece) {
    for (const char *prefix : {"V:", "C:", "F:", "O:", "I:"}) {
        if (piece.starts_with(prefix))
            return true;
    }
    return false;
}

} // namespace

class PacingTest : public QObject {
    Q_OBJECT
private slots:
    void framePlan_data() {
        QTest::addColumn<int>("pieceCount");
        QTest::addColumn<bool>("fast");
        QTest::addColumn<QList<qint64>>("offsets");
        QTest::addColumn<qint64>("length");
        // Pieces of 10 bytes: 100 bits, 10416.67 us at 9600, rounded up.
        QTest::newRow("five records over 500 ms")
            << 5 << false << QList<qint64>{0, 100'000, 200'000, 300'000, 400'000} << 500'000LL;
        QTest::newRow("six pieces with garbage")
            << 6 << false << QList<qint64>{0, 83'333, 166'666, 250'000, 333'333, 416'666}
            << 500'000LL;
        QTest::newRow("fast: back to back at line speed")
            << 3 << true << QList<qint64>{0, 10'417, 20'834} << 31'251LL;
    }
    void framePlan() {
        QFETCH(int, pieceCount);
        QFETCH(bool, fast);
        QFETCH(QList<qint64>, offsets);
        QFETCH(qint64, length);
        const std::vector<std::string> pieces(pieceCount, std::string(10, 'x'));
        const FramePlan plan = planFrame(pieces, Pace{500, fast, 9600});
        QCOMPARE(QList<qint64>(plan.offsetsUs.begin(), plan.offsetsUs.end()), offsets);
        QCOMPARE(plan.lengthUs, length);
    }

    void timeline() {
        const Timeline quiet{20.0, 10.0, 60.0};
        QVERIFY(!quiet.silentAt(19.99));
        QVERIFY(quiet.silentAt(20.0) && quiet.silentAt(29.99));
        QVERIFY(!quiet.silentAt(30.0));
        QVERIFY(!quiet.finishedAt(59.9) && quiet.finishedAt(60.0));
        const Timeline endless;
        QVERIFY(!endless.silentAt(0) && !endless.finishedAt(1e9));
    }

    // Each kind in turn, each with the damage it is meant to carry and no more.
    void garbageKinds() {
        GarbageMaker maker(7);
        for (int round = 0; round < 50; ++round) {
            const GarbageKind kind = maker.nextKind();
            const std::string piece = maker.next();
            const std::string body = piece.substr(0, piece.find('\r'));
            switch (kind) {
            case GarbageKind::UnknownPrefix:
                QVERIFY(piece.ends_with("\r\n") && !isRecordPrefix(piece));
                break;
            case GarbageKind::ShortRecord:
                QVERIFY(piece.ends_with("\r\n") && body.size() < 7);
                break;
            case GarbageKind::NoiseBytes:
                QVERIFY(piece.ends_with("\r\n") && !body.empty());
                QCOMPARE(body.size() + 2, piece.size()); // no CR or LF inside
                QVERIFY(body.find('\n') == std::string::npos);
                break;
            case GarbageKind::OverlongWithoutCr:
                QVERIFY(piece.size() >= GarbageMaker::kOverlongMinimum);
                QVERIFY(piece.find_first_of("\r\n") == std::string::npos);
                break;
            }
            QCOMPARE(int(maker.nextKind()), (int(kind) + 1) % 4);
        }
    }

    // The malformed piece moves through every place in the frame, and the five records stay
    // whole and in order around it.
    void garbageInFrames() {
        FrameComposer withGarbage("v", true);
        FrameComposer clean("v");
        const GearCycle cycle;
        QSet<int> places;
        for (int frame = 0; frame < 12; ++frame) {
            std::vector<std::string> pieces = withGarbage.compose(cycle);
            const std::vector<std::string> records = clean.compose(cycle);
            QCOMPARE(pieces.size(), records.size() + 1);
            const auto place = std::mismatch(records.begin(), records.end(), pieces.begin()).first -
                               records.begin();
            places.insert(int(place));
            pieces.erase(pieces.begin() + place);
            QVERIFY(pieces == records);
        }
        QCOMPARE(places.size(), 6);
    }

    void options_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("error"); // part of the error text; empty when accepted
        QTest::newRow("defaults") << QStringList{} << "";
        QTest::newRow("link with port") << QStringList{"--link-dir", "/tmp", "--port", "7"} << "";
        QTest::newRow("link without port") << QStringList{"--link-dir", "/tmp"} << "go together";
        QTest::newRow("port without link") << QStringList{"--port", "7"} << "go together";
        QTest::newRow("port 0") << QStringList{"--link-dir", "/tmp", "--port", "0"} << "--port";
        QTest::newRow("link of a device")
            << QStringList{"--device", "/dev/ttyS0", "--link-dir", "/tmp", "--port", "3"}
            << "link-dir";
        QTest::newRow("config too short") << QStringList{"--config", "1110"} << "--config";
        QTest::newRow("config not flags") << QStringList{"--config", "1110a"} << "--config";
        QTest::newRow("firmware on two lines")
            << QStringList{"--firmware", "1.0\r\n2"} << "--firmware";
        QTest::newRow("count not a number")
            << QStringList{"--start-count", "-1"} << "--start-count";
        QTest::newRow("baud zero") << QStringList{"--baud", "0"} << "--baud";
        QTest::newRow("fast with frame") << QStringList{"--fast", "--frame-ms", "100"} << "--fast";
        QTest::newRow("slow leg") << QStringList{"--slow-leg", "left:2.5"} << "";
        QTest::newRow("slow leg, default delay") << QStringList{"--slow-leg", "nose"} << "";
        QTest::newRow("slow leg unknown") << QStringList{"--slow-leg", "tail"} << "right, left";
        QTest::newRow("slow leg no seconds") << QStringList{"--slow-leg", "left:"} << "--slow-leg";
        QTest::newRow("slow leg zero") << QStringList{"--slow-leg", "left:0"} << "--slow-leg";
        QTest::newRow("slow leg nan") << QStringList{"--slow-leg", "left:nan"} << "--slow-leg";
        QTest::newRow("duration nan") << QStringList{"--duration", "nan"} << "--duration";
        QTest::newRow("speed nan") << QStringList{"--replay", "x", "--speed", "nan"} << "--speed";
        QStringList manyDelays{"--frame-ms", "10"};
        for (int i = 0; i < 2; ++i)
            manyDelays << "--slow-leg"
                       << "left:3600";
        QTest::newRow("slow leg delays beyond an hour") << manyDelays << "in all";
        QTest::newRow("stuck leg") << QStringList{"--stuck-leg", "right"} << "";
        QTest::newRow("stuck leg unknown") << QStringList{"--stuck-leg", "Right"} << "--stuck-leg";
        QTest::newRow("stuck leg replayed")
            << QStringList{"--replay", "x", "--stuck-leg", "nose"} << "--replay";
        QTest::newRow("frame too short") << QStringList{"--frame-ms", "1"} << "--frame-ms";
        QTest::newRow("negative silence")
            << QStringList{"--silent-after", "-5"} << "--silent-after";
        QTest::newRow("zero duration") << QStringList{"--duration", "0"} << "--duration";
        QTest::newRow("duration not a number") << QStringList{"--duration", "soon"} << "--duration";
        QTest::newRow("stray argument") << QStringList{"/dev/ttyS0"} << "unexpected";
        QTest::newRow("unknown option") << QStringList{"--fastest"} << "Unknown option";
    }
    void options() {
        QFETCH(QStringList, arguments);
        QFETCH(QString, error);
        const auto result = parseSimArguments(arguments);
        const QString *text = std::get_if<QString>(&result);
        if (error.isEmpty())
            QVERIFY2(!text, qPrintable(text ? *text : QString()));
        else
            QVERIFY2(text && text->contains(error), qPrintable(text ? *text : "accepted"));
    }

    void optionValues() {
        const auto result = parseSimArguments(
            {"--config", "01011", "--firmware", "3.1 rc", "--start-count", "18446744073709551615",
             "--silent-for", "7", "--duration", "2.5", "--garbage", "--fast", "--baud", "115200",
             "--link-dir", "/x", "--port", "12"});
        QVERIFY(std::holds_alternative<SimOptions>(result));
        const SimOptions &o = std::get<SimOptions>(result);
        QVERIFY((o.config == ConfigFlags{false, true, false, true, true}));
        QCOMPARE(o.firmwareVersion, std::string("3.1 rc"));
        QCOMPARE(o.startCount, 18446744073709551615u);
        QCOMPARE(o.timeline.silentAfter.value_or(-1), 20.0); // the default when only one is given
        QCOMPARE(o.timeline.silentFor, 7.0);
        QCOMPARE(o.timeline.duration.value_or(-1), 2.5);
        QVERIFY(o.garbage && o.pace.fast);
        QCOMPARE(o.pace.bitsPerSecond, 115200);
        QCOMPARE(o.linkDir, std::string("/x"));
        QCOMPARE(o.port, 12);

        const SimOptions defaults = std::get<SimOptions>(parseSimArguments({}));
        QVERIFY(defaults.config == ConfigFlags{});
        QCOMPARE(defaults.pace.frameMs, 500);
        QCOMPARE(defaults.pace.bitsPerSecond, 9600);
        QVERIFY(!defaults.timeline.silentAfter && !defaults.timeline.duration);
        QVERIFY(defaults.device.empty() && defaults.linkDir.empty());
    }
};

QTEST_GUILESS_MAIN(PacingTest)
#include "pacing_test.moc"
