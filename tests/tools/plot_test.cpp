// A recording's plot: runs merged to pixel columns, link spans and swing marks, as plain values;
// and the real gear-log drawing a hand-written recording to a PNG whose pixels show each bit.

#include "PlotPicture.h"
#include "ProcessHelpers.h"

#include <QImage>
#include <QTemporaryDir>
#include <QtTest>

namespace {

using Runs = std::vector<PixelRun>;

// "300 X0 on" sets X0 at 300 ms, "300 X0 off short" from a short record; "300 link stale" and
// "300 port closed" the link and the port.
Change changeOf(const QString &row) {
    const QStringList w = row.split(QLatin1Char(' '));
    const std::int64_t ms = w[0].toLongLong();
    if (w[1] == QLatin1String("link") || w[1] == QLatin1String("port"))
        return {ms, QString(), w[1], QString(), w[2]};
    return {ms,          w[1], QString(), QString(), stateWord(w[1], w[2] == QLatin1String("on")),
            w.size() > 3};
}

Plot plotOf(PlotRange range, const QStringList &addresses, const QStringList &rows,
            std::int64_t lastMs, const std::vector<Swing> &swings = {}) {
    PlotBuilder builder(range, addresses);
    for (const QString &row : rows)
        builder.add(changeOf(row));
    for (const Swing &swing : swings)
        builder.add(swing);
    return builder.finish(lastMs);
}

// Every 1 ms from `fromMs` to `toMs`, X0 toggled.
QStringList toggles(int fromMs, int toMs) {
    QStringList rows;
    for (int ms = fromMs; ms < toMs; ++ms)
        rows << QStringLiteral("%1 X0 %2").arg(ms).arg(ms % 2 ? "off" : "on");
    return rows;
}

Swing finished(Swing::Kind kind, std::int64_t startMs, std::int64_t lastLockMs) {
    Swing swing;
    swing.kind = kind;
    swing.startMs = startMs;
    swing.end = Swing::End::Finished;
    swing.locked = {lastLockMs, lastLockMs, lastLockMs};
    swing.watchedMs = lastLockMs;
    return swing;
}

const QByteArray kHeader =
    "gear-recording 1 port=Com7 speed=9600 parity=None data=8 flow=None stop=1\n";

QColor colourOf(BgrColour c) {
    return QColor(Colour::red(c), Colour::green(c), Colour::blue(c));
}

} // namespace

Q_DECLARE_METATYPE(Runs)

class PlotTest : public QObject {
    Q_OBJECT
private slots:
    // One trace over ten columns of 100 ms: a change on a column's edge starts a run there, one
    // within a column makes that column show both levels, and any number of changes within
    // columns leaves one run per column at most.
    void runsMergeToColumns_data() {
        QTest::addColumn<qint64>("fromMs"); // the range is fromMs .. fromMs + 1000
        QTest::addColumn<QStringList>("rows");
        QTest::addColumn<qint64>("lastMs");
        QTest::addColumn<Runs>("runs");
        const auto on = Level::On;
        const auto off = Level::Off;
        const auto both = Level::Both;
        QTest::newRow("steady") << qint64(0) << QStringList{"0 X0 off"} << qint64(1000)
                                << Runs{{0, 10, off}};
        QTest::newRow("on a column's edge") << qint64(0) << QStringList{"0 X0 off", "500 X0 on"}
                                            << qint64(1000) << Runs{{0, 5, off}, {5, 10, on}};
        QTest::newRow("within a column")
            << qint64(0) << QStringList{"0 X0 off", "550 X0 on"} << qint64(1000)
            << Runs{{0, 5, off}, {5, 6, both}, {6, 10, on}};
        QTest::newRow("a pulse of one column")
            << qint64(0) << QStringList{"0 X0 off", "300 X0 on", "400 X0 off"} << qint64(1000)
            << Runs{{0, 3, off}, {3, 4, on}, {4, 10, off}};
        QTest::newRow("a pulse shorter than a column")
            << qint64(0) << QStringList{"0 X0 off", "310 X0 on", "320 X0 off"} << qint64(1000)
            << Runs{{0, 3, off}, {3, 4, both}, {4, 10, off}};
        QTest::newRow("toggling over five columns")
            << qint64(0) << QStringList{"0 X0 off"} + toggles(200, 700) << qint64(1000)
            << Runs{{0, 2, off}, {2, 7, both}, {7, 10, off}};
        QTest::newRow("nothing before the first reading")
            << qint64(0) << QStringList{"300 X0 on"} << qint64(1000) << Runs{{3, 10, on}};
        QTest::newRow("in force before the range")
            << qint64(5000) << QStringList{"0 X0 on", "1000 X0 off", "5250 X0 on"} << qint64(6000)
            << Runs{{0, 2, off}, {2, 3, both}, {3, 10, on}};
        // Its flags that are present may have changed, and no later row would say so: drawn as
        // the panel showed it.
        QTest::newRow("a short record, as the panel showed it")
            << qint64(0) << QStringList{"0 X0 on", "300 X0 off short", "400 X0 on"} << qint64(1000)
            << Runs{{0, 3, on}, {3, 4, off}, {4, 10, on}};
        QTest::newRow("changes after the range")
            << qint64(0) << QStringList{"0 X0 on", "2000 X0 off", "2500 X0 on"} << qint64(3000)
            << Runs{{0, 10, on}};
        QTest::newRow("a recording ending within the range")
            << qint64(0) << QStringList{"0 X0 on", "200 X0 off"} << qint64(600)
            << Runs{{0, 2, on}, {2, 6, off}};
    }
    void runsMergeToColumns() {
        QFETCH(qint64, fromMs);
        QFETCH(QStringList, rows);
        QFETCH(qint64, lastMs);
        QFETCH(Runs, runs);
        const Plot plot = plotOf({fromMs, fromMs + 1000, 10}, {"X0"}, rows, lastMs);
        QCOMPARE(plot.rows.size(), std::size_t(1));
        QCOMPARE(plot.rows[0].runs, runs);
    }

    // Stale, failed and closed spans shaded until the link is live or the port open again; a
    // band that comes and goes within columns merges, so they stay one per column and kind.
    void linkSpansShaded_data() {
        QTest::addColumn<QStringList>("rows");
        QTest::addColumn<std::vector<Shade>>("shades");
        using K = Shade::Kind;
        QTest::newRow("stale then failed then live")
            << QStringList{"100 link live", "200 link stale", "400 link failed", "650 link live"}
            << std::vector<Shade>{{2, 4, K::Stale}, {4, 7, K::Failed}};
        QTest::newRow("the port closed until it opens")
            << QStringList{"300 port closed", "500 port open"}
            << std::vector<Shade>{{3, 5, K::PortClosed}};
        QTest::newRow("failed to the end")
            << QStringList{"900 link failed"} << std::vector<Shade>{{9, 10, K::Failed}};
        QStringList flapping;
        for (int ms = 100; ms < 490; ms += 3)
            flapping << QStringLiteral("%1 link stale").arg(ms)
                     << QStringLiteral("%1 link failed").arg(ms + 1)
                     << QStringLiteral("%1 link live").arg(ms + 2);
        QTest::newRow("flapping within columns")
            << flapping << std::vector<Shade>{{1, 5, K::Stale}, {1, 5, K::Failed}};
    }
    void linkSpansShaded() {
        QFETCH(QStringList, rows);
        QFETCH(std::vector<Shade>, shades);
        QCOMPARE(plotOf({0, 1000, 10}, {}, rows, 1000).shades, shades);
    }

    // Each swing's span carries its time; swings sharing a column become one counted mark, so a
    // recording of many swings still draws a mark per column at most.
    void swingsMarked_data() {
        QTest::addColumn<std::vector<Swing>>("swings");
        QTest::addColumn<QStringList>("marks"); // "from to text"
        Swing stuck = finished(Swing::Kind::Extension, 600, 0);
        stuck.end = Swing::End::NotFinished;
        stuck.watchedMs = 300;
        Swing lost = stuck;
        lost.end = Swing::End::LinkLost;
        lost.lostAs = QStringLiteral("link stale");
        QTest::newRow("finished") << std::vector{finished(Swing::Kind::Retraction, 100, 250)}
                                  << QStringList{"1 4 retraction 0.250 s"};
        QTest::newRow("not finished, then unknown")
            << std::vector{finished(Swing::Kind::Retraction, 0, 300), stuck}
            << QStringList{"0 3 retraction 0.300 s", "6 9 extension not finished"};
        QTest::newRow("unknown") << std::vector{lost}
                                 << QStringList{"6 9 extension unknown (link stale)"};
        QTest::newRow("three in one column")
            << std::vector{finished(Swing::Kind::Retraction, 100, 10),
                           finished(Swing::Kind::Extension, 130, 10),
                           finished(Swing::Kind::Retraction, 160, 60)}
            << QStringList{"1 3 3 swings"};
        QTest::newRow("outside the range")
            << std::vector{finished(Swing::Kind::Retraction, 1200, 100)} << QStringList{};
    }
    void swingsMarked() {
        QFETCH(std::vector<Swing>, swings);
        QFETCH(QStringList, marks);
        QStringList drawn;
        for (const SwingMark &mark : plotOf({0, 1000, 10}, {}, {}, 1000, swings).swings)
            drawn << QStringLiteral("%1 %2 %3").arg(mark.from).arg(mark.to).arg(mark.text);
        QCOMPARE(drawn, marks);
    }

    // A row's label and colours: the meaning under the relays in force where the picture starts
    // (C1 names Y0 the power relay or the UP pump), the panel's on and off colours.
    void rowsLabelledAndColoured_data() {
        QTest::addColumn<QString>("address");
        QTest::addColumn<QStringList>("rows");
        QTest::addColumn<qint64>("fromMs");
        QTest::addColumn<QString>("meaning");
        QTest::addColumn<quint32>("on");
        QTest::addColumn<quint32>("off");
        const QStringList c1Changes{"0 C1 on", "500 C1 off"};
        QTest::newRow("Y0 with C1 on")
            << "Y0" << c1Changes << qint64(0) << "Power is applied to the Direction relay"
            << Colour::value(Colour::Yellow) << Colour::value(Colour::Grey);
        QTest::newRow("Y0 with C1 off from 0.5 s")
            << "Y0" << c1Changes << qint64(600) << "Pump Is running in the UP direction"
            << Colour::value(Colour::Yellow) << Colour::value(Colour::Grey);
        QTest::newRow("Y0 with C1 on after the count")
            << "Y0" << QStringList{"1 C 7", "2 C1 on"} << qint64(0)
            << "Power is applied to the Direction relay" << Colour::value(Colour::Yellow)
            << Colour::value(Colour::Grey);
        QTest::newRow("an up light")
            << "X2" << QStringList{} << qint64(0) << "Indicates the Right gear is UP"
            << Colour::value(Colour::Red) << Colour::value(Colour::DarkRed);

        QTest::newRow("a relay") << "C0" << QStringList{} << qint64(0) << "HYDRAULIC SWITCHES"
                                 << Colour::value(Colour::BrightGreen)
                                 << Colour::value(Colour::DarkGreen);
    }
    void rowsLabelledAndColoured() {
        QFETCH(QString, address);
        QFETCH(QStringList, rows);
        QFETCH(qint64, fromMs);
        QFETCH(QString, meaning);
        QFETCH(quint32, on);
        QFETCH(quint32, off);
        const Plot plot = plotOf({fromMs, fromMs + 1000, 10}, {address}, rows, fromMs + 1000);
        QCOMPARE(plot.rows[0].meaning, meaning);
        QCOMPARE(Colour::value(plot.rows[0].colours.on), on);
        QCOMPARE(Colour::value(plot.rows[0].colours.off), off);
    }

    // The real gear-log, with no display and no platform chosen, draws a hand-written recording
    // to a PNG: at each row and time the trace's low strip has the bit's on or off colour, and
    // its upper part the on colour only while the bit is on.
    void pixelsShowTheRecording_data() {
        QTest::addColumn<QString>("address");
        QTest::addColumn<qint64>("ms");
        QTest::addColumn<bool>("on");
        QTest::newRow("X6 before the switch") << "X6" << qint64(300) << false;
        QTest::newRow("X6 switched UP") << "X6" << qint64(1000) << true;

        QTest::newRow("X0 locked down") << "X0" << qint64(200) << true;
        QTest::newRow("X0 left") << "X0" << qint64(1200) << false;
        QTest::newRow("X2 up light before") << "X2" << qint64(1200) << false;
        QTest::newRow("X2 up light on") << "X2" << qint64(2000) << true;
        QTest::newRow("Y0 the pump running") << "Y0" << qint64(1000) << true;
        QTest::newRow("Y0 the pump stopped") << "Y0" << qint64(2000) << false;
        QTest::newRow("Y5 the horn, through a stale span") << "Y5" << qint64(2300) << true;
        QTest::newRow("C1 on throughout") << "C1" << qint64(2900) << true;
        QTest::newRow("C73 off throughout") << "C73" << qint64(100) << false;
    }
    void pixelsShowTheRecording() {
        QFETCH(QString, address);
        QFETCH(qint64, ms);
        QFETCH(bool, on);
        const QTemporaryDir dir;
        const QString recordingPath = dir.filePath("swing.rec");
        const QString picture = dir.filePath("swing.png");
        // Switch UP at 0.5 s, the pump on from 0.6 to 1.6 s, the legs up at 1.5 s, the horn on
        // from 2.2 s through a stale link at 2.25 s, the recording's end at 3 s.
        QVERIFY(writeFile(recordingPath, kHeader + "0 open\n0 line F:11000\n0 line O:000000\n"
                                                   "0 line I:10001001 10000000 00\n"
                                                   "500 line I:10001010 10000000 00\n"
                                                   "600 line O:110000\n"
                                                   "600 line I:00000010 11000000 00\n"
                                                   "1500 line I:00110110 01000000 00\n"
                                                   "1600 line O:000000\n"
                                                   "2200 line O:000001\n"
                                                   "2250 stale\n2600 live\n3000 close\n"));
        QProcessEnvironment bare = QProcessEnvironment::systemEnvironment();
        bare.remove(QStringLiteral("QT_QPA_PLATFORM"));
        bare.remove(QStringLiteral("DISPLAY"));
        bare.remove(QStringLiteral("WAYLAND_DISPLAY"));
        const ProgramRun run =
            runProgram(QStringLiteral(GEAR_LOG_PATH), {"--plot", picture, recordingPath}, bare);
        QCOMPARE(run.status, 0);
        const QImage image(picture);
        QCOMPARE(image.width(), plotlayout::kWidth);
        const int row = int(plotAddresses().indexOf(address));
        const PlotRange range{0, 3000, plotlayout::kTraceWidth};
        const int x = plotlayout::kTraceLeft + int(range.column(ms));
        const int top = plotlayout::rowTop(row);
        const LegendColours colours = legendColours(address);
        const QColor low = image.pixelColor(x, top + plotlayout::kLowTop + 2);
        const QColor high = image.pixelColor(x, top + plotlayout::kHighTop + 4);
        QCOMPARE(low, colourOf(on ? colours.on : colours.off));
        QCOMPARE(high == colourOf(colours.on), on);
    }
};

QTEST_GUILESS_MAIN(PlotTest)
#include "plot_test.moc"
