#include "CommandLine.h"
#include "ProgramVersion.h"

#include <QtTest>

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
