// Gear swings found in recordings: hand-written sessions for each way a swing ends, and gear-sim's
// own schedule with its leg faults.

#include "FrameComposer.h"
#include "GearCycle.h"
#include "Swings.h"

#include <QtTest>

using recording::Event;
using recording::EventKind;

namespace {

const QStringList kInputNames = {"X0",   "X1",   "X2",   "X3",   "X4",   "X5",
                                 "X6",   "X7",   "X100", "X101", "X102", "X103",
                                 "X104", "X105", "X106", "X107", "X110", "X111"};

// "1500 I X6 X0" is an input record at 1500 ms with X6 and X0 closed and every other input
// open; "O Y0 Y1" likewise for outputs; "F 11100" the relays; "I: X6" a short input record that
// holds the first eight inputs only; "stale", "live", "failed", "close" the link and the port.
Event eventOf(const QString &row) {
    QStringList words = row.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    const std::int64_t ms = words.takeFirst().toLongLong();
    const QString what = words.takeFirst();
    if (what == QLatin1String("stale"))
        return {ms, EventKind::LinkStale, {}};
    if (what == QLatin1String("failed"))
        return {ms, EventKind::LinkFailed, {}};
    if (what == QLatin1String("live"))
        return {ms, EventKind::LinkLive, {}};
    if (what == QLatin1String("close"))
        return {ms, EventKind::PortClosed, {}};
    if (what == QLatin1String("F"))
        return {ms, EventKind::Line, "F:" + words.value(0).toStdString()};
    if (what == QLatin1String("O")) {
        gearsim::OutputBits bits{};
        for (const QString &name : words)
            bits[std::size_t(name.mid(1).toInt())] = true;
        return {ms, EventKind::Line, gearsim::outputRecord(bits)};
    }
    gearsim::InputBits bits{};
    for (const QString &name : words)
        bits[std::size_t(kInputNames.indexOf(name))] = true;
    std::string line = gearsim::inputRecord(bits);
    if (what == QLatin1String("I:"))
        line.resize(2 + 8);
    return {ms, EventKind::Line, line};
}

std::vector<Swing> swingsIn(const QStringList &rows) {
    recording::Recording r;
    for (const QString &row : rows)
        r.events.push_back(eventOf(row));
    return swingsOf(timelineOf(r));
}

// The gear down and locked, pump off, switch DOWN, down pressure held (C0 on: switch open).
const QStringList kDownAtRest = {"0 F 11100", "0 O", "0 I X7 X0 X1 X4 X100"};

// A retraction from 1000 ms: pump on (C1: power and direction UP), down lights out, the nose,
// right and left up lights, up pressure, pump off.
const QStringList kRetraction = {"1000 I X6 X0 X1 X4 X100",
                                 "1500 O Y0 Y1",
                                 "1500 I X6 X100 X101",
                                 "2500 I X6 X5 X100 X101",
                                 "3000 I X6 X5 X2 X100 X101",
                                 "3500 I X6 X5 X2 X3 X101",
                                 "4000 O"};

// An extension from 6000 ms, each light as above, with the horn until the gear is down.
const QStringList kExtension = {
    "6000 O Y5",           "6000 I X7 X2 X3 X5 X101", "6500 O Y0 Y5",
    "6500 I X7 X100 X101", "7500 I X7 X4 X100 X101",  "8000 I X7 X4 X0 X100 X101",
    "8500 O Y0",           "8500 I X7 X4 X0 X1 X100", "9000 O"};

const QString kRetractionRow = "1.000,retraction,finished,2.500,2.000,2.500,1.500,0.500,0.500,"
                               "0.500,2.500,,2,,";

} // namespace

class SwingsTest : public QObject {
    Q_OBJECT
private slots:
    // Each way a swing ends, as its CSV row with and without limits.
    void swings_data() {
        QTest::addColumn<QStringList>("rows");
        QTest::addColumn<QString>("limits"); // "retract,extend" in ms, 0 for none
        QTest::addColumn<QStringList>("expected");
        QTest::addColumn<bool>("over");
        QTest::newRow("retraction and extension")
            << kDownAtRest + kRetraction + kExtension << "0,0"
            << QStringList{kRetractionRow + ",",
                           "6.000,extension,finished,2.500,2.000,2.500,1.500,0.500,0.500,0.500,"
                           "2.500,,2,2.500,,"}
            << false;
        QTest::newRow("within the limits") << kDownAtRest + kRetraction << "2500,0"
                                           << QStringList{kRetractionRow + "2.500,no"} << false;
        QTest::newRow("retraction over its limit")
            << kDownAtRest + kRetraction << "2499,9000" << QStringList{kRetractionRow + "2.499,yes"}
            << true;
        QTest::newRow("slow left leg")
            << kDownAtRest + QStringList{"1000 I X6 X0 X1 X4 X100", "1500 O Y0 Y1",
                                         "1500 I X6 X100 X101",     "2500 I X6 X5 X2 X100 X101",
                                         "7000 I X6 X5 X2 X3 X101", "7500 O"}
            << "6000,0"
            << QStringList{"1.000,retraction,finished,6.000,1.500,6.000,1.500,0.500,0.500,0.500,"
                           "6.000,,2,,6.000,no"}
            << false;
        QTest::newRow("stuck nose leg, then the switch DOWN")
            << kDownAtRest +
                   QStringList{"1000 I X6 X0 X1 X4 X100", "1500 O Y0 Y1", "1500 I X6 X100 X101",
                               "3000 I X6 X2 X3 X101",    "3500 O",       "9000 I X7 X2 X3 X101"}
            << "3000,0"
            << QStringList{"1.000,retraction,not finished,,2.000,2.000,,0.500,0.500,0.500,"
                           "2.000,,2,,3.000,yes",
                           "9.000,extension,not finished,,,,,,,0.000,,,0,,,"}
            << true;
        QTest::newRow("stuck leg at the end, watched shorter than the limit")
            << kDownAtRest + QStringList{"1000 I X6 X0 X1 X4 X100", "1500 I X6 X100 X101",
                                         "3000 I X6 X2 X3 X101"}
            << "3000,0"
            << QStringList{"1.000,retraction,not "
                           "finished,,2.000,2.000,,0.500,0.500,0.500,,,2,,3.000,no"}
            << false;
        QTest::newRow("link stale in the middle")
            << kDownAtRest +
                   QStringList{"1000 I X6 X0 X1 X4 X100", "1500 O Y0 Y1", "1500 I X6 X100 X101",
                               "2500 I X6 X5 X100 X101",  "2600 stale",   "3000 live",
                               "3500 I X6 X5 X2 X3 X101", "4000 O"}
            << "0,0"
            << QStringList{"1.000,retraction,unknown,,,,1.500,0.500,0.500,0.500,1.100,,1,,,"}
            << false;
        QTest::newRow("port closed in the middle, past the limit")
            << kDownAtRest + QStringList{"1000 I X6 X0 X1 X4 X100", "9000 close"} << "3000,0"
            << QStringList{"1.000,retraction,unknown,,,,,,,,,,0,,3.000,yes"} << true;
        QTest::newRow("link lost after every leg locked: times known")
            << kDownAtRest + QStringList{"1000 I X6 X0 X1 X4 X100", "1500 O Y0 Y1",
                                         "1500 I X6 X100 X101", "3500 I X6 X5 X2 X3 X101",
                                         "3600 failed"}
            << "0,0"
            << QStringList{"1.000,retraction,finished,2.500,2.500,2.500,2.500,0.500,0.500,0.500,"
                           "2.100,,2,,,"}
            << false;
        QTest::newRow("a short record is not the switch moving")
            << kDownAtRest + QStringList{"1000 I: X6", "1500 I X7 X0 X1 X4 X100"} << "0,0"
            << QStringList{} << false;
        QTest::newRow("C1 off: Y1 runs the pump down")
            << QStringList{"0 F 10100",
                           "0 O",
                           "0 I X6 X2 X3 X5 X101",
                           "1000 I X7 X2 X3 X5 X101",
                           "1500 O Y1",
                           "1500 I X7 X100 X101",
                           "2500 I X7 X0 X1 X4 X100",
                           "3000 O"}
            << "0,0"
            << QStringList{"1.000,extension,finished,1.500,1.500,1.500,1.500,0.500,0.500,0.500,"
                           "1.500,,2,,,"}
            << false;
    }
    void swings() {
        QFETCH(QStringList, rows);
        QFETCH(QString, limits);
        QFETCH(QStringList, expected);
        QFETCH(bool, over);
        SwingLimits limit;
        if (const int ms = limits.section(',', 0, 0).toInt())
            limit.retractMs = ms;
        if (const int ms = limits.section(',', 1).toInt())
            limit.extendMs = ms;
        QStringList found;
        bool anyOver = false;
        for (const Swing &swing : swingsIn(rows)) {
            found << swingCsvRow(swing, limit);
            anyOver = anyOver || limit.over(swing);
        }
        QCOMPARE(found, expected);
        QCOMPARE(anyOver, over);
    }

    // The block says what a swing that has no time is, and never gives it one.
    void blocks_data() {
        QTest::addColumn<QStringList>("rows");
        QTest::addColumn<QStringList>("lines"); // lines the block holds
        QTest::newRow("finished")
            << kDownAtRest + kRetraction
            << QStringList{"retraction at 1.000: 2.500 s",
                           "  nose leg: up light 1.500 s, down light out 0.500 s",
                           "  pump: ran 2.500 s",
                           "  nose motor: did not run",
                           "  pressure switches: X101 switch closed at 0.500 s, X100 switch open "
                           "at 2.500 s",
                           "  horn: silent"};
        QTest::newRow("not finished")
            << kDownAtRest + QStringList{"1000 I X6 X0 X1 X4 X100", "1500 I X6 X100 X101",
                                         "4000 I X6 X2 X100 X101"}
            << QStringList{"retraction at 1.000: not finished, left and nose legs never locked in "
                           "3.000 s",
                           "  nose leg: up light never, down light out 0.500 s"};
        QTest::newRow("unknown")
            << kDownAtRest + QStringList{"1000 I X6 X0 X1 X4 X100", "1200 stale"}
            << QStringList{"retraction at 1.000: unknown, link stale 0.200 s after the switch, "
                           "before every leg locked",
                           "  right leg: up light unknown, down light out unknown"};
    }
    void blocks() {
        QFETCH(QStringList, rows);
        QFETCH(QStringList, lines);
        const std::vector<Swing> swings = swingsIn(rows);
        QCOMPARE(swings.size(), std::size_t(1));
        const QStringList block = formatSwing(swings.front(), {});
        for (const QString &line : lines)
            QVERIFY2(block.contains(line), qPrintable(block.join('\n')));
    }

    // gear-sim's schedule recorded as a monitor records it (the input record at the same place
    // in every 500 ms frame): each swing's times are its frames to lock, to the millisecond.
    void simulatorSchedule_data() {
        QTest::addColumn<int>("slowLeftFrames");
        QTest::addColumn<bool>("noseStuck");
        QTest::newRow("default legs") << 0 << false;
        QTest::newRow("slow left leg") << 5 << false;
        QTest::newRow("stuck nose leg") << 0 << true;
    }
    void simulatorSchedule() {
        QFETCH(int, slowLeftFrames);
        QFETCH(bool, noseStuck);
        gearsim::LegTiming legs;
        legs.frames(gearsim::Leg::Left) += slowLeftFrames;
        legs.isStuck(gearsim::Leg::Nose) = noseStuck;
        gearsim::GearCycle cycle({}, 0, legs);
        gearsim::FrameComposer composer("SIM-1.0");
        recording::Recording r;
        constexpr int kFrameMs = 500;
        for (int frame = 0; frame < 2 * gearsim::GearCycle::framesPerCycle(legs); ++frame) {
            std::int64_t ms = frame * kFrameMs;
            for (std::string piece : composer.compose(cycle)) {
                piece.resize(piece.size() - 2); // CR LF
                r.events.push_back({ms, EventKind::Line, piece});
                ms += kFrameMs / 5;
            }
            cycle.advance();
        }
        const std::vector<Swing> swings = swingsOf(timelineOf(r));
        QCOMPARE(swings.size(), std::size_t(4));
        for (const Swing &swing : swings) {
            const bool retracting = swing.kind == Swing::Kind::Retraction;
            std::optional<std::int64_t> last = 0;
            for (std::size_t leg = 0; leg < 3; ++leg) {
                const auto frames =
                    gearsim::GearCycle::framesToLock(gearsim::kLegs[leg], retracting, legs);
                const std::optional<std::int64_t> ms =
                    frames ? std::optional<std::int64_t>(*frames * kFrameMs) : std::nullopt;
                QCOMPARE(swing.locked[leg], ms);
                // a stuck leg's up light was never on to go out
                const bool wasDark = !retracting && legs.isStuck(gearsim::kLegs[leg]);
                QCOMPARE(swing.released[leg], std::optional<std::int64_t>(wasDark ? 0 : kFrameMs));
                last = last && ms ? std::optional(std::max(*last, *ms)) : std::nullopt;
            }
            QCOMPARE(swing.swingMs(), last);
            QCOMPARE(swing.end, last ? Swing::End::Finished : Swing::End::NotFinished);
        }
    }
};

QTEST_GUILESS_MAIN(SwingsTest)
#include "swings_test.moc"
