#include "Replayer.h"

#include <QtTest>

using recording::EventKind;

namespace {

// A recording whose events fall at these times, one a line after the header.
recording::Recording recordedAt(std::initializer_list<std::int64_t> times) {
    recording::Recording r;
    for (const std::int64_t ms : times)
        r.events.push_back({ms, EventKind::Line, "V:1"});
    return r;
}

constexpr qint64 kMaxMs = std::numeric_limits<qint64>::max();
// 2^62 ns in whole milliseconds: 4611686018427.387904.
constexpr qint64 kLatestMs = 4'611'686'018'427;
constexpr qint64 kCentury = 3'155'760'000'000; // 100 years of 365.25 days

} // namespace

class ReplayTest : public QObject {
    Q_OBJECT
private slots:
    // A time is replayed only if it is due (after the speed) within what the steady clock can
    // count from now; a later one makes the file damaged at its line, which is named.
    void latestTime_data() {
        QTest::addColumn<double>("speed");
        QTest::addColumn<qint64>("first");
        QTest::addColumn<qint64>("last");
        QTest::addColumn<int>("badLine"); // of the last event, after the header and two; 0: none
        QTest::newRow("at the limit, speed 1") << 1.0 << qint64(0) << kLatestMs << 0;
        QTest::newRow("beyond it, speed 1") << 1.0 << qint64(0) << kLatestMs + 1 << 4;
        QTest::newRow("at the limit, speed 2") << 2.0 << qint64(0) << 2 * kLatestMs << 0;
        QTest::newRow("beyond it, speed 2") << 2.0 << qint64(0) << 2 * kLatestMs + 1 << 4;
        QTest::newRow("at the limit, speed 0.5") << 0.5 << qint64(0) << kLatestMs / 2 << 0;
        QTest::newRow("beyond it, speed 0.5") << 0.5 << qint64(0) << kLatestMs / 2 + 1 << 4;
        QTest::newRow("317 years at speed 100000")
            << 100'000.0 << qint64(0) << 317 * kCentury / 100 << 0;
        QTest::newRow("the latest time there is") << 100'000.0 << qint64(0) << kMaxMs << 4;
        QTest::newRow("counted from the first event") << 1.0 << kMaxMs - kLatestMs << kMaxMs << 0;
    }
    void latestTime() {
        QFETCH(double, speed);
        QFETCH(qint64, first);
        QFETCH(qint64, last);
        QFETCH(int, badLine);
        const recording::Recording r = recordedAt({first, first, last});
        const auto late = gearsim::unreplayableTime(r, speed);
        QCOMPARE(late ? int(late->lineNumber) : 0, badLine);
        QCOMPARE(gearsim::replayOffset(r, 2, speed).has_value(), badLine == 0);
        if (badLine != 0) {
            QVERIFY(late->message.find("too late") != std::string::npos);
            return;
        }
        const auto offset = *gearsim::replayOffset(r, 2, speed);
        QVERIFY(offset <= gearsim::kLatestReplayOffset);
        // As scaled, to within the rounding of a double.
        QVERIFY(qAbs(double(offset.count()) - double(last - first) * 1e6 / speed) < 2048.0);
    }

    void offsetsScaleBySpeed() {
        const recording::Recording r = recordedAt({5000, 6500});
        QCOMPARE(*gearsim::replayOffset(r, 0, 2.0), std::chrono::nanoseconds(0));
        QCOMPARE(*gearsim::replayOffset(r, 1, 2.0), std::chrono::milliseconds(750));
        QCOMPARE(*gearsim::replayOffset(r, 1, 0.5), std::chrono::milliseconds(3000));
    }
};

QTEST_APPLESS_MAIN(ReplayTest)
#include "replay_test.moc"
