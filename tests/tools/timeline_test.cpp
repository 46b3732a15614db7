#include "FrameComposer.h"
#include "GearCycle.h"
#include "Timeline.h"

#include <QtTest>

using recording::Event;
using recording::EventKind;

namespace {

// One flight and a little more of gear-sim's cycle as a monitor records it: the five records of
// each 500 ms frame 100 ms apart, one malformed line, the port and the link.
recording::Recording recordedFlight() {
    recording::Recording r;
    gearsim::GearCycle cycle(*gearsim::parseConfigFlags("11100"));
    gearsim::FrameComposer composer("SIM-1.0");
    r.events.push_back({0, EventKind::PortOpened, {}});
    for (int frame = 0; frame < gearsim::GearCycle::framesPerCycle() + 2; ++frame) {
        std::int64_t ms = frame * 500;
        for (std::string piece : composer.compose(cycle)) {
            while (!piece.empty() && (piece.back() == '\n' || piece.back() == '\r'))
                piece.pop_back();
            r.events.push_back({ms, EventKind::Line, piece});
            ms += 100;
        }
        if (frame == 1)
            r.events.push_back({ms, EventKind::LinkLive, {}});
        if (frame == 3)
            r.events.push_back({ms, EventKind::Line, std::string("X:\x01<b>", 6)});
        cycle.advance();
    }
    r.events.push_back({20000, EventKind::LinkStale, {}});
    return r;
}

QStringList printed(const recording::Recording &r) {
    QStringList lines;
    for (const Change &c : timelineOf(r))
        lines << formatChange(c);
    return lines;
}

} // namespace

class TimelineTest : public QObject {
    Q_OBJECT
private slots:
    // The flight as docs/gear-sim.md tells it, each step found after the one before.
    void aFlightRetractsThenExtendsInOrder() {
        const QStringList lines = printed(recordedFlight());
        const QStringList steps{
            "port: open",
            "X7 Indicates the Gear switch is in the DOWN position: off -> on",
            "link: - -> live",
            "ignored line: X:\\x01<b>",
            "X6 Indicates the Gear switch is in the UP position: off -> on",
            "Y0 YELLOW = Pump Is running in the UP direction | YELLOW = Power is applied to the "
            "Direction relay: off -> on",
            "X0 Indicates the Right gear is down: on -> off",
            "X2 Indicates the Right gear is UP: off -> on",
            "X7 Indicates the Gear switch is in the DOWN position: off -> on",
            "X2 Indicates the Right gear is UP: on -> off",
            "X0 Indicates the Right gear is down: off -> on",
            "C gear cycle count: 0 -> 1",
            "link: live -> stale",
        };
        qsizetype at = 0;
        for (const QString &step : steps) {
            while (at < lines.size() && !lines.at(at).contains(step))
                ++at;
            QVERIFY2(at < lines.size(),
                     qPrintable("missing in order: " + step + "\n" + lines.join('\n')));
        }
    }

    // Only changes: a frame that repeats the last one adds nothing.
    void repeatedRecordsPrintNothing() {
        recording::Recording r;
        for (std::int64_t ms : {0, 500, 1000})
            r.events.push_back({ms, EventKind::Line, "O:100000"});
        QCOMPARE(printed(r), QStringList{"0.000 Y0 YELLOW = Pump Is running in the UP direction | "
                                         "YELLOW = Power is applied to the Direction relay: "
                                         "off -> on"});
    }

    // Addresses and meanings come from the window's own tooltips.
    void meanings_data() {
        QTest::addColumn<QString>("address");
        QTest::addColumn<QString>("meaning");
        QTest::newRow("right down light") << "X0"
                                          << "Indicates the Right gear is down";
        QTest::newRow("emergency retract") << "X111"
                                           << "ON = Emergency Retract Switch is ON";
        QTest::newRow("two controls, two meanings") << "X106"
                                                    << "Struts Compressed";
        QTest::newRow("horn") << "Y5"
                              << "Horn Relay is Energized";
        QTest::newRow("configuration relay") << "C73"
                                             << "Quorvel Gear Installed";
        QTest::newRow("no such address") << "Y9"
                                         << "";
    }
    void meanings() {
        QFETCH(QString, address);
        QFETCH(QString, meaning);
        QVERIFY2(meaningOf(address).contains(meaning), qPrintable(meaningOf(address)));
        QCOMPARE(meaningOf(address).isEmpty(), meaning.isEmpty());
    }

    void addresses_data() {
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("address");
        QTest::newRow("first") << 0 << "X0";
        QTest::newRow("end of first group") << 7 << "X7";
        QTest::newRow("second group") << 8 << "X100";
        QTest::newRow("end of second group") << 15 << "X107";
        QTest::newRow("third group") << 16 << "X110";
        QTest::newRow("last") << 17 << "X111";
    }
    void addresses() {
        QFETCH(int, index);
        QFETCH(QString, address);
        QCOMPARE(inputAddress(index), address);
    }

    void csvQuotesWhatNeedsIt_data() {
        QTest::addColumn<QString>("meaning");
        QTest::addColumn<QString>("row");
        QTest::newRow("plain") << "port"
                               << "1.250,,port,,open";
        QTest::newRow("comma") << "a, b"
                               << "1.250,,\"a, b\",,open";
        QTest::newRow("quote") << "say \"x\""
                               << "1.250,,\"say \"\"x\"\"\",,open";
        QTest::newRow("line feed") << "a\nb"
                                   << "1.250,,\"a\nb\",,open";
        // A spreadsheet takes these for formulas; the ' makes them text. A recording's own
        // texts reach here escaped (tests/tools/gear_log_test.cpp), so tab and CR only from here.
        QTest::newRow("tab") << "\t=1"
                             << "1.250,,\"'\t=1\",,open";
        QTest::newRow("CR") << "\r=1"
                            << "1.250,,\"'\r=1\",,open";
        QTest::newRow("starter inside") << "a=b-c"
                                        << "1.250,,a=b-c,,open";
        // The link's band before the first: a lone minus is no formula.
        QTest::newRow("lone minus") << "-"
                                    << "1.250,,-,,open";
    }
    // The time is worked out on whole milliseconds: the latest a recording holds prints exactly,
    // and it is a number to a spreadsheet.
    void timesPrintExactly_data() {
        QTest::addColumn<qint64>("ms");
        QTest::addColumn<QString>("seconds");
        QTest::newRow("start") << qint64(0) << "0.000";
        QTest::newRow("under a second") << qint64(7) << "0.007";
        QTest::newRow("seconds") << qint64(12480) << "12.480";
        QTest::newRow("latest") << std::numeric_limits<qint64>::max() << "9223372036854775.807";
    }
    void timesPrintExactly() {
        QFETCH(qint64, ms);
        QFETCH(QString, seconds);
        const Change change{ms, QString(), "port", QString(), "open"};
        QCOMPARE(formatChange(change), seconds + " port: open");
        QCOMPARE(csvRow(change), seconds + ",,port,,open");
    }

    void csvQuotesWhatNeedsIt() {
        QFETCH(QString, meaning);
        QFETCH(QString, row);
        QCOMPARE(csvRow({1250, QString(), meaning, QString(), "open"}), row);
    }
};

QTEST_APPLESS_MAIN(TimelineTest)
#include "timeline_test.moc"
