#include "CommandLine.h"
#include "ProcessHelpers.h"
#include "ProgramVersion.h"

#include <QProcess>
#include <QtTest>

#include <sys/stat.h>

namespace {

// HOME and the configuration folder in `home`, so that nothing of the user's is read or written.
QProcessEnvironment homeIn(const QString &home) {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("HOME", home);
    environment.insert("XDG_CONFIG_HOME", home + "/config");
    return environment;
}

} // namespace

using Action = CommandLine::Action;

class CommandLineTest : public QObject {
    Q_OBJECT
private slots:
    void answersOrOpensTheWindow_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<Action>("action");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("stdoutHas"); // empty: nothing printed on standard output
        QTest::addColumn<QString>("stderrHas"); // empty: nothing printed on standard error

        const QString version = QStringLiteral("gear-monitor %1\n").arg(programversion::kVersion);
        QTest::newRow("no options") << QStringList{} << Action::OpenWindow << 0 << ""
                                    << "";
        QTest::newRow("--help") << QStringList{"--help"} << Action::Exit << 0
                                << "Usage: gear-monitor [options]"
                                << "";
        QTest::newRow("-h") << QStringList{"-h"} << Action::Exit << 0 << "--version"
                            << "";
        QTest::newRow("--version")
            << QStringList{"--version"} << Action::Exit << 0 << version << "";
        QTest::newRow("-v") << QStringList{"-v"} << Action::Exit << 0 << version << "";
        QTest::newRow("help wins over version")
            << QStringList{"--version", "--help"} << Action::Exit << 0 << "Usage:"
            << "";
        QTest::newRow("unknown option")
            << QStringList{"--record-everything"} << Action::Exit << 2 << ""
            << "gear-monitor: Unknown option 'record-everything'.";
        QTest::newRow("unknown option after help")
            << QStringList{"--help", "--bogus"} << Action::Exit << 2 << ""
            << "--help";
        QTest::newRow("stray argument") << QStringList{"com7"} << Action::Exit << 2 << ""
                                        << "unexpected argument 'com7'";
        QTest::newRow("Qt's window options pass")
            << QStringList{"-platform", "offscreen", "-style", "Fusion", "-reverse"}
            << Action::OpenWindow << 0 << ""
            << "";
        QTest::newRow("Qt's option with its value joined")
            << QStringList{"--platform=offscreen"} << Action::OpenWindow << 0 << ""
            << "";
        QTest::newRow("--record FILE")
            << QStringList{"--record", "s.rec"} << Action::OpenWindow << 0 << ""
            << "";
        QTest::newRow("--record-dated")
            << QStringList{"--record-dated"} << Action::OpenWindow << 0 << ""
            << "";
        QTest::newRow("--record without its file")
            << QStringList{"--record"} << Action::Exit << 2 << ""
            << "record";
        QTest::newRow("--record with an empty name")
            << QStringList{"--record="} << Action::Exit << 2 << ""
            << "needs a file name";
        QTest::newRow("both ways of recording")
            << QStringList{"--record", "s.rec", "--record-dated"} << Action::Exit << 2 << ""
            << "exclude each other";
        QTest::newRow("Qt's option without its value")
            << QStringList{"-platform"} << Action::Exit << 2 << ""
            << "platform";
    }
    void answersOrOpensTheWindow() {
        QFETCH(QStringList, arguments);
        QFETCH(Action, action);
        QFETCH(int, exitCode);
        QFETCH(QString, stdoutHas);
        QFETCH(QString, stderrHas);
        const CommandLine result =
            parseCommandLine(QStringList{"/usr/bin/gear-monitor"} + arguments);
        QCOMPARE(result.action, action);
        QCOMPARE(result.exitCode, exitCode);
        QCOMPARE(result.standardOutput.isEmpty(), stdoutHas.isEmpty());
        QVERIFY2(result.standardOutput.contains(stdoutHas), qPrintable(result.standardOutput));
        QCOMPARE(result.standardError.isEmpty(), stderrHas.isEmpty());
        QVERIFY2(result.standardError.contains(stderrHas), qPrintable(result.standardError));
    }

    void recordingChoices_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("recordFile");
        QTest::addColumn<bool>("recordDated");
        QTest::newRow("none") << QStringList{} << "" << false;
        QTest::newRow("a file") << QStringList{"--record", "/x/y z.rec"} << "/x/y z.rec" << false;
        QTest::newRow("joined value") << QStringList{"--record=a.rec"} << "a.rec" << false;
        QTest::newRow("dated") << QStringList{"--record-dated"} << "" << true;
    }
    void recordingChoices() {
        QFETCH(QStringList, arguments);
        QFETCH(QString, recordFile);
        QFETCH(bool, recordDated);
        const CommandLine result = parseCommandLine(QStringList{"gear-monitor"} + arguments);
        QCOMPARE(result.recordFile, recordFile);
        QCOMPARE(result.recordDated, recordDated);
    }

    void datedFileNamesSortByTime() {
        const QDateTime morning(QDate(2026, 3, 4), QTime(9, 5, 7));
        QCOMPARE(datedRecordingPath("/home/m/Documents", morning),
                 QString("/home/m/Documents/gear-monitor-2026-03-04-090507.rec"));
        // A second start in the same second sorts after the first and before the next second.
        const QStringList inOrder = {datedRecordingPath("/d", morning),
                                     datedRecordingPath("/d", morning, 2),
                                     datedRecordingPath("/d", morning, kDatedAttempts),
                                     datedRecordingPath("/d", morning.addSecs(1))};
        QStringList sorted = inOrder;
        sorted.sort();
        QCOMPARE(sorted, inOrder);
        QCOMPARE(QSet<QString>(inOrder.begin(), inOrder.end()).size(), inOrder.size());
    }

    // A recording that would replace what is there, or wait for a FIFO's reader, ends the
    // program with status 2 and the reason before its window opens, and the name keeps what it
    // held. Each run has a deadline, so one that hangs fails.
    void aRecordingThatCannotBeMadeEndsTheProgram_data() {
        QTest::addColumn<QString>("make");
        QTest::addColumn<QString>("reason");
        QTest::newRow("an existing file") << "file"
                                          << "the file exists";
        QTest::newRow("a FIFO no one reads") << "fifo"
                                             << "no program is reading";
        QTest::newRow("dated, every name of the second taken") << "dated"
                                                               << "the file exists";
    }
    void aRecordingThatCannotBeMadeEndsTheProgram() {
        QFETCH(QString, make);
        QFETCH(QString, reason);
        QTemporaryDir home;
        const QString path = home.filePath("s.rec");
        QStringList arguments{"--record", path};
        QStringList kept;
        if (make == "file") {
            QVERIFY(writeFile(path, "kept\n"));
            kept << path;
        } else if (make == "fifo") {
            QCOMPARE(mkfifo(QFile::encodeName(path), 0600), 0);
        } else {
            QVERIFY(QDir().mkpath(home.filePath("Documents")));
            const QDateTime now = QDateTime::currentDateTime();
            for (int second = 0; second < 10; ++second)
                for (int attempt = 1; attempt <= kDatedAttempts; ++attempt) {
                    kept << datedRecordingPath(home.filePath("Documents"), now.addSecs(second),
                                               attempt);
                    QVERIFY(writeFile(kept.last(), "kept\n"));
                }
            arguments = QStringList{"--record-dated"};
        }
        const ProgramRun run =
            runProgram(QStringLiteral(GEAR_MONITOR_PATH), arguments, homeIn(home.path()));
        QVERIFY2(run.ended, "still running after 10 s");
        QCOMPARE(run.status, int(ExitCannotRecord));
        QVERIFY2(run.err.contains("gear-monitor: cannot record to ") &&
                     run.err.contains(reason.toUtf8()),
                 run.err.constData());
        for (const QString &file : kept)
            QCOMPARE(readFile(file), QByteArray("kept\n"));
    }

    // Started twice in the same second, --record-dated makes a second file beside the first.
    void aSecondDatedRecordingInTheSameSecondGetsItsOwnFile() {
        QTemporaryDir home;
        const QString documents = home.filePath("Documents");
        QVERIFY(QDir().mkpath(documents));
        const QDateTime now = QDateTime::currentDateTime();
        QStringList taken;
        for (int second = 0; second < 10; ++second) {
            taken << datedRecordingPath(documents, now.addSecs(second));
            QVERIFY(writeFile(taken.last(), "kept\n"));
        }
        QProcess monitor;
        monitor.setProcessEnvironment(homeIn(home.path()));
        monitor.start(QStringLiteral(GEAR_MONITOR_PATH), {"--record-dated"});
        QStringList made;
        for (int i = 0; i < 100 && made.isEmpty(); ++i) {
            monitor.waitForFinished(100);
            made = QDir(documents).entryList({"*_2.rec"});
        }
        monitor.terminate();
        QVERIFY(monitor.waitForFinished(10000));
        QCOMPARE(made.size(), 1);
        QVERIFY(readFile(documents + "/" + made.first()).startsWith("gear-recording 1 "));
        for (const QString &file : taken)
            QCOMPARE(readFile(file), QByteArray("kept\n"));
    }

    // The help names the program and its two options, and none of Qt's hidden ones.
    void helpListsOnlyTheProgramsOwnOptions() {
        const QString help = parseCommandLine({"./gear-monitor", "--help"}).standardOutput;
        QVERIFY(help.startsWith("Usage: gear-monitor [options]\n"));
        QVERIFY(help.contains("--help"));
        QVERIFY(help.contains("--version"));
        QVERIFY(!help.contains("platform"));
        QVERIFY(!help.contains("stylesheet"));
    }
};

QTEST_APPLESS_MAIN(CommandLineTest)
#include "command_line_test.moc"
