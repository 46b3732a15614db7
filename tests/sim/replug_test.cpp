// Pulling the simulated adapter out and plugging it back: the options, and a run that ends as
// unplugged when due and goes on with the gear cycle and the counts where it left off.
#include "SerialLine.h"
#include "SimArguments.h"
#include "SimOptions.h"
#include "Transmitter.h"

#include <QtTest>

#include <sstream>

using namespace gearsim;

class ReplugTest : public QObject {
    Q_OBJECT
private slots:
    void options_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<double>("after"); // -1: never unplugged
        QTest::addColumn<double>("gone");
        QTest::addColumn<QString>("error");
        QTest::newRow("none") << QStringList{} << -1.0 << 0.0 << "";
        QTest::newRow("both") << QStringList{"--replug-after", "4", "--replug-for", "1.5"} << 4.0
                              << 1.5 << "";
        QTest::newRow("only after") << QStringList{"--replug-after", "4"} << 4.0 << 3.0 << "";
        QTest::newRow("only for") << QStringList{"--replug-for", "0"} << 20.0 << 0.0 << "";
        QTest::newRow("after too short")
            << QStringList{"--replug-after", "0"} << 0.0 << 0.0 << "--replug-after";
        QTest::newRow("negative gone")
            << QStringList{"--replug-for", "-1"} << 0.0 << 0.0 << "--replug-for";
        QTest::newRow("not a number")
            << QStringList{"--replug-after", "soon"} << 0.0 << 0.0 << "--replug-after";
        QTest::newRow("a real device")
            << QStringList{"--device", "/dev/ttyS0", "--replug-after", "4"} << 0.0 << 0.0
            << "pseudo-terminal";
    }
    void options() {
        QFETCH(QStringList, arguments);
        QFETCH(double, after);
        QFETCH(double, gone);
        QFETCH(QString, error);
        const auto result = parseSimArguments(arguments);
        if (const QString *text = std::get_if<QString>(&result)) {
            QVERIFY2(!error.isEmpty() && text->contains(error), qPrintable(*text));
            return;
        }
        QVERIFY2(error.isEmpty(), "accepted");
        const Replug &replug = std::get<SimOptions>(result).replug;
        QCOMPARE(replug.after.value_or(-1), after);
        if (replug.enabled()) {
            QCOMPARE(replug.gone, gone);
            QCOMPARE(replug.unplugAt(10).value_or(-1), 10 + after);
        } else {
            QVERIFY(!replug.unplugAt(10));
        }
    }

    // With no reader nothing is sent, and the run still ends as unplugged on time; the next
    // line's run keeps the clock, the cycle and the counts.
    void aRunEndsUnpluggedAndTheNextGoesOn() {
        SimOptions options;
        options.pace.frameMs = 20;
        options.startCount = 7;
        std::ostringstream log;
        SerialLine::Opened first = SerialLine::openPseudoTerminal();
        QVERIFY(first.line);
        Transmitter before(*first.line, options, log);
        const RunSummary unplugged = before.unplugAt(0.2).run();
        QVERIFY(unplugged.unplugged);
        QVERIFY(unplugged.error.empty());
        QVERIFY(unplugged.framesSkipped >= 5);
        first.line.reset();

        SerialLine::Opened second = SerialLine::openPseudoTerminal();
        QVERIFY(second.line);
        Transmitter after(*second.line, options, log);
        after.resume(before.runStart(), before.cycle(), unplugged);
        QCOMPARE(after.runStart(), before.runStart());
        QCOMPARE(after.cycle().cycleCount(), before.cycle().cycleCount());
        QCOMPARE(after.cycle().phase(), before.cycle().phase());
        QCOMPARE(after.cycle().frameInPhase(), before.cycle().frameInPhase());
        // Already due: it ends at once, counting on from the first run.
        const RunSummary again = after.unplugAt(0.2).run();
        QVERIFY(again.unplugged);
        QVERIFY(again.framesSkipped >= unplugged.framesSkipped);
    }
};

QTEST_GUILESS_MAIN(ReplugTest)
#include "replug_test.moc"
