#include "FrameComposer.h"
#include "GearCycle.h"
#include "Timeline.h"

#include <QtTest>

#include <sstream>

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
            "X7 Indicates the Gear switch is in the DOWN position: switch closed",
            "link: - -> live",
            "ignored line: X:\\x01<b>",
            "X6 Indicates the Gear switch is in the UP position: switch open -> switch closed",
            "Y0 Power is applied to the Direction relay: output off -> output on",
            "X0 Indicates the Right gear is down: switch closed -> switch open",
            "X2 Indicates the Right gear is UP: switch open -> switch closed",
            "X7 Indicates the Gear switch is in the DOWN position: switch open -> switch closed",
            "X2 Indicates the Right gear is UP: switch closed -> switch open",
            "X0 Indicates the Right gear is down: switch open -> switch closed",
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

    // Only changes: a frame that repeats the last one adds nothing after the start's block.
    void repeatedRecordsPrintNothing() {
        recording::Recording r;
        for (std::int64_t ms : {0, 500, 1000})
            r.events.push_back({ms, EventKind::Line, "O:100000"});
        const QStringList lines = printed(r);
        QCOMPARE(lines.size(), kOutputCount);
        QCOMPARE(lines.first(), "0.000 Y0 Pump Is running in the UP direction: output on");
        QCOMPARE(lines.last(), "0.000 Y5 Horn Relay is Energized: output off");
    }

    // The state at the start is one block of every signal, off ones too, in the legend's
    // words; it closes when the first frame is complete or a record repeats, and what happened
    // meanwhile follows it. Later changes have "from -> to"; a short record's are marked.
    void startBlockThenChanges_data() {
        QTest::addColumn<QStringList>("recorded"); // "ms kind[ bytes]" as in the file
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("a frame, then a change")
            << QStringList{"0 open",
                           "10 line V:1",
                           "20 line C:7",
                           "30 line F:11100",
                           "40 line O:000000",
                           "45 live",
                           "50 line I:00000000 00000000 00",
                           "60 line I:10000000 00000000 00"}
            << QStringList{"0.000 port: open",
                           "0.010 V firmware version: 1",
                           "0.020 C gear cycle count: 7",
                           "0.030 C0 HYDRAULIC SWITCHES: on (Norm Closed)",
                           "0.030 C1 PUMP CONTROL: on (DIR / POWER)",
                           "0.030 C73 Y4 OUTPUT: on (Strut Valve)",
                           "0.030 C121 Nose Gear Control: off (Combine Mode)",
                           "0.030 C122 Nose Gear Actuator: off (Hydraulic)",
                           "0.040 Y0 Power is applied to the Direction relay: output off",
                           "0.040 Y1 DOWN direction: output off",
                           "0.040 Y2 Motor Is running in the UP direction: output off",
                           "0.040 Y3 Motor Is running in the DOWN direction: output off",
                           "0.040 Y4 STRUT valve energized: output off",
                           "0.040 Y5 Horn Relay is Energized: output off",
                           "0.050 X0 Indicates the Right gear is down: switch open",
                           "0.050 X1 Indicates the Left gear is down: switch open",
                           "0.050 X2 Indicates the Right gear is UP: switch open",
                           "0.050 X3 Indicates the Left gear is UP: switch open",
                           "0.050 X4 Indicates the Nose gear is down: switch open",
                           "0.050 X5 Indicates the Nose gear is UP: switch open",
                           "0.050 X6 Indicates the Gear switch is in the UP position: switch open",
                           "0.050 X7 Indicates the Gear switch is in the DOWN position: switch "
                           "open",
                           "0.050 X100 Hydraulic UP pressure: switch open",
                           "0.050 X101 Hydraulic DOWN pressure: switch open",
                           "0.050 X102 Airspeed OK for retract: switch open",
                           "0.050 X103 Throttle NOT at full: switch open",
                           "0.050 X104 Throttle NOT at idle: switch open",
                           "0.050 X105 Canopy is Closed: switch open",
                           "0.050 X106 Struts NOT compressed: switch open",
                           "0.050 X107 Circuit is OPEN, OK to retract: switch open",
                           "0.050 X110 Alarm Mute PB is OFF: switch open",
                           "0.050 X111 Emergency Retract Switch is OFF: switch open",
                           "0.045 link: - -> live",
                           "0.060 X0 Indicates the Right gear is down: switch open -> switch "
                           "closed"};
        QTest::newRow("a repeated record closes the block; a later kind comes when it comes")
            << QStringList{"0 line O:000000", "5 line V:1", "10 line O:000001", "20 line C:3"}
            << QStringList{"0.000 Y0 Pump Is running in the UP direction: output off",
                           "0.000 Y1 Pump Is running in the DOWN direction: output off",
                           "0.000 Y2 Motor Is running in the UP direction: output off",
                           "0.000 Y3 Motor Is running in the DOWN direction: output off",
                           "0.000 Y4 Speed Brake being Retracted: output off",
                           "0.000 Y5 Horn Relay is Energized: output off",
                           "0.005 V firmware version: 1",
                           "0.010 Y5 Horn Relay is Energized: output off -> output on",
                           "0.020 C gear cycle count: 3"};
        QTest::newRow("a short record marks its changes and the block")
            << QStringList{"0 line O:1", "10 line O:010000", "20 line O:01"}
            << QStringList{"0.000 Y0 Pump Is running in the UP direction: output on (short "
                           "record)",
                           "0.000 Y1 Pump Is running in the DOWN direction: output off (short "
                           "record)",
                           "0.000 Y2 Motor Is running in the UP direction: output off (short "
                           "record)",
                           "0.000 Y3 Motor Is running in the DOWN direction: output off (short "
                           "record)",
                           "0.000 Y4 Speed Brake being Retracted: output off (short record)",
                           "0.000 Y5 Horn Relay is Energized: output off (short record)",
                           "0.010 Y0 Pump Is running in the UP direction: output on -> output off",
                           "0.010 Y1 Pump Is running in the DOWN direction: output off -> output "
                           "on"};
        QTest::newRow("a recording that ends within the block still prints it")
            << QStringList{"0 line V:2", "10 stale"}
            << QStringList{"0.000 V firmware version: 2", "0.010 link: - -> stale"};
        QTest::newRow("the relays in force give the meaning of a change")
            << QStringList{"0 line F:00000",  "1 line O:000000", "2 line F:01000",
                           "3 line O:100000", "4 line F:00000",  "5 line O:000000"}
            << QStringList{"0.000 C0 HYDRAULIC SWITCHES: off (Norm Open)",
                           "0.000 C1 PUMP CONTROL: off (UP / DOWN)",
                           "0.000 C73 Y4 OUTPUT: off (Speed Brake)",
                           "0.000 C121 Nose Gear Control: off (Combine Mode)",
                           "0.000 C122 Nose Gear Actuator: off (Hydraulic)",
                           "0.001 Y0 Pump Is running in the UP direction: output off",
                           "0.001 Y1 Pump Is running in the DOWN direction: output off",
                           "0.001 Y2 Motor Is running in the UP direction: output off",
                           "0.001 Y3 Motor Is running in the DOWN direction: output off",
                           "0.001 Y4 Speed Brake being Retracted: output off",
                           "0.001 Y5 Horn Relay is Energized: output off",
                           "0.002 C1 PUMP CONTROL: off (UP / DOWN) -> on (DIR / POWER)",
                           "0.003 Y0 Power is applied to the Direction relay: output off -> "
                           "output on",
                           "0.004 C1 PUMP CONTROL: on (DIR / POWER) -> off (UP / DOWN)",
                           "0.005 Y0 Pump Is running in the UP direction: output on -> output "
                           "off"};
    }
    void startBlockThenChanges() {
        QFETCH(QStringList, recorded);
        QFETCH(QStringList, expected);
        std::string file = recording::formatHeader({"Com7", "9600", "None", "8", "None", "1"});
        for (const QString &line : recorded)
            file += line.toStdString() + '\n';
        std::istringstream in(file);
        const auto read = recording::readRecording(in);
        QVERIFY(std::holds_alternative<recording::Recording>(read));
        QCOMPARE(printed(std::get<recording::Recording>(read)), expected);
    }

    // One meaning per address, the one the panel shows under the relays in force (C1: the
    // pump's boxes, C73: the use of Y4 and X106), without colour words, for either state.
    void meanings_data() {
        QTest::addColumn<QString>("address");
        QTest::addColumn<bool>("C1");
        QTest::addColumn<bool>("C73");
        QTest::addColumn<bool>("on");
        QTest::addColumn<QString>("meaning");
        QTest::newRow("right down light")
            << "X0" << true << true << true << "Indicates the Right gear is down";
        QTest::newRow("a state's own words, on")
            << "X111" << true << true << true << "Emergency Retract Switch is ON";
        QTest::newRow("a state's own words, off")
            << "X111" << true << true << false << "Emergency Retract Switch is OFF";
        QTest::newRow("X106 with the strut valve")
            << "X106" << true << true << true << "Struts Compressed";
        QTest::newRow("X106 with the speed brake")
            << "X106" << true << false << true << "Circuit is shorted, OK to retract";
        QTest::newRow("Y0 as power relay")
            << "Y0" << true << true << true << "Power is applied to the Direction relay";
        QTest::newRow("Y0 as up pump")
            << "Y0" << false << true << true << "Pump Is running in the UP direction";
        QTest::newRow("Y1 as direction relay, on")
            << "Y1" << true << true << true << "UP direction";
        QTest::newRow("Y1 as direction relay, off")
            << "Y1" << true << true << false << "DOWN direction";
        QTest::newRow("Y1 as down pump")
            << "Y1" << false << true << true << "Pump Is running in the DOWN direction";
        QTest::newRow("Y4 on the strut valve")
            << "Y4" << true << true << true << "STRUT valve energized";
        QTest::newRow("Y4 on the speed brake")
            << "Y4" << true << false << true << "Speed Brake being Retracted";
        QTest::newRow("horn") << "Y5" << true << true << true << "Horn Relay is Energized";
        QTest::newRow("configuration relay") << "C73" << true << true << true << "Y4 OUTPUT";
        QTest::newRow("no such address") << "Y9" << true << true << true << "";
    }
    void meanings() {
        QFETCH(QString, address);
        QFETCH(bool, C1);
        QFETCH(bool, C73);
        QFETCH(bool, on);
        QFETCH(QString, meaning);
        ConfigFlags relays;
        relays.C1 = C1;
        relays.C73 = C73;
        QCOMPARE(meaningOf(address, relays, on), meaning);
    }

    void stateWords_data() {
        QTest::addColumn<QString>("address");
        QTest::addColumn<bool>("on");
        QTest::addColumn<QString>("word");
        QTest::newRow("input on") << "X7" << true << "switch closed";
        QTest::newRow("input off") << "X110" << false << "switch open";
        QTest::newRow("output on") << "Y5" << true << "output on";
        QTest::newRow("output off") << "Y0" << false << "output off";
        QTest::newRow("relay on") << "C0" << true << "on (Norm Closed)";
        QTest::newRow("relay off") << "C122" << false << "off (Hydraulic)";
    }
    void stateWords() {
        QFETCH(QString, address);
        QFETCH(bool, on);
        QFETCH(QString, word);
        QCOMPARE(stateWord(address, on), word);
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
