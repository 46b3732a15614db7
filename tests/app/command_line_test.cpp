#include "CommandLine.h"
#include "ProcessHelpers.h"
#include "ProgramVersion.h"

#include <QProcess>
#include <QTcpServer>
#include <QTcpSocket>
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
        QTest::newRow("--mirror PORT")
            << QStringList{"--mirror", "8080"} << Action::OpenWindow << 0 << ""
            << "";
        QTest::newRow("--mirror and its key file")
            << QStringList{"--mirror=127.0.0.1:8080", "--mirror-key", "k"} << Action::OpenWindow
            << 0 << ""
            << "";
        QTest::newRow("--mirror with a name")
            << QStringList{"--mirror", "localhost:8080"} << Action::Exit << 2 << ""
            << "--mirror needs a port or an IP address and a port";
        QTest::newRow("--mirror without its port")
            << QStringList{"--mirror"} << Action::Exit << 2 << ""
            << "mirror";
        QTest::newRow("--mirror-key alone")
            << QStringList{"--mirror-key", "k"} << Action::Exit << 2 << ""
            << "--mirror-key needs a file name and --mirror";
        QTest::newRow("--mirror-key empty")
            << QStringList{"--mirror", "80", "--mirror-key="} << Action::Exit << 2 << ""
            << "--mirror-key needs a file name";
    }

    void mirrorEndpoints_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("taken");
        QTest::addColumn<QString>("address"); // empty: every interface
        QTest::addColumn<int>("port");
        QTest::newRow("port") << "8080" << true << "" << 8080;
        QTest::newRow("IPv4 and port") << "192.168.1.20:8421" << true << "192.168.1.20" << 8421;
        QTest::newRow("IPv6 in brackets") << "[::1]:8421" << true << "::1" << 8421;
        QTest::newRow("IPv6 without brackets") << "::1:8421" << false << "" << 0;
        QTest::newRow("IPv6 with a zone") << "[fe80::1%eth0]:80" << false << "" << 0;
        QTest::newRow("a name") << "hangar.local:80" << false << "" << 0;
        QTest::newRow("no port after the colon") << "10.0.0.1:" << false << "" << 0;
        QTest::newRow("port too high") << "65536" << false << "" << 0;
        QTest::newRow("negative port") << "-1" << false << "" << 0;
        QTest::newRow("port with letters") << "80a" << false << "" << 0;
        QTest::newRow("empty") << "" << false << "" << 0;
    }
    void mirrorEndpoints() {
        QFETCH(QString, text);
        QFETCH(bool, taken);
        QFETCH(QString, address);
        QFETCH(int, port);
        QHostAddress parsedAddress;
        quint16 parsedPort = 0;
        QCOMPARE(parseMirrorEndpoint(text, parsedAddress, parsedPort), taken);
        if (!taken)
            return;
        QCOMPARE(parsedAddress.isNull() ? QString() : parsedAddress.toString(), address);
        QCOMPARE(int(parsedPort), port);
    }

    // A mirror that cannot start ends the program with status 2 and the reason before its
    // window opens, printing nothing on standard output.
    void aMirrorThatCannotStartEndsTheProgram_data() {
        QTest::addColumn<QString>("make");
        QTest::addColumn<QString>("reason");
        QTest::newRow("port in use") << "busy"
                                     << "the port is in use";
        QTest::newRow("not this machine's address") << "foreign"
                                                    << "the address is not this machine's";
        QTest::newRow("key file others may read") << "open key"
                                                  << "others may read or change it";
        QTest::newRow("key file is a folder") << "folder key"
                                              << "not a regular file";
    }
    void aMirrorThatCannotStartEndsTheProgram() {
        QFETCH(QString, make);
        QFETCH(QString, reason);
        QTemporaryDir home;
        const QString key = home.filePath("mirror.key");
        QTcpServer busy;
        QVERIFY(busy.listen(QHostAddress::LocalHost, 0));
        QStringList arguments{"--mirror", QStringLiteral("127.0.0.1:0")};
        if (make == "busy")
            arguments =
                QStringList{"--mirror", QStringLiteral("127.0.0.1:%1").arg(busy.serverPort())};
        else if (make == "foreign")
            arguments = QStringList{"--mirror", "192.0.2.1:8421"}; // a documentation address
        else if (make == "open key") {
            QVERIFY(writeFile(key, "0123456789abcdef0123456789abcdef\n"));
            QFile::setPermissions(key, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadOther);
            arguments << "--mirror-key" << key;
        } else {
            QVERIFY(QDir().mkpath(key));
            arguments << "--mirror-key" << key;
        }
        QProcessEnvironment environment = homeIn(home.path());
        environment.insert("QT_QPA_PLATFORM", "offscreen");
        const ProgramRun run =
            runProgram(QStringLiteral(GEAR_MONITOR_PATH), arguments, environment);
        QVERIFY2(run.ended, "still running after 10 s");
        QCOMPARE(run.status, int(ExitCannotMirror));
        QVERIFY2(run.err.contains("gear-monitor: cannot ") && run.err.contains(reason.toUtf8()),
                 run.err.constData());
        QCOMPARE(run.out, QByteArray());
    }

    // The start line gives the address with the key the key file keeps, then its QR code, and
    // the page is there.
    void aMirrorPrintsItsAddress() {
        QTemporaryDir home;
        const QString keyFile = home.filePath("mirror.key");
        QProcess monitor;
        QProcessEnvironment environment = homeIn(home.path());
        environment.insert("QT_QPA_PLATFORM", "offscreen");
        monitor.setProcessEnvironment(environment);
        monitor.start(QStringLiteral(GEAR_MONITOR_PATH),
                      {"--mirror", "127.0.0.1:0", "--mirror-key", keyFile});
        QByteArray out;
        for (int i = 0; i < 100 && out.count('\n') < 5; ++i) {
            monitor.waitForReadyRead(100);
            out += monitor.readAllStandardOutput();
        }
        const QRegularExpression line(
            "^gear-monitor: panel mirror at http://127\\.0\\.0\\.1:([0-9]+)/([0-9a-f]{32})/\n");
        const QRegularExpressionMatch match = line.match(QString::fromUtf8(out));
        QVERIFY2(match.hasMatch(), out.constData());
        QCOMPARE(match.captured(2).toLatin1() + '\n', readFile(keyFile));
        QVERIFY(out.contains("\u2588")); // the QR code's blocks, in UTF-8
        QTcpSocket page;
        page.connectToHost(QHostAddress::LocalHost, quint16(match.captured(1).toInt()));
        QVERIFY(page.waitForConnected(5000));
        page.write("GET /" + match.captured(2).toLatin1() + "/ HTTP/1.1\r\nHost: h\r\n\r\n");
        QVERIFY(page.waitForReadyRead(5000));
        QVERIFY(page.readAll().startsWith("HTTP/1.1 200 OK"));
        monitor.terminate();
        QVERIFY(monitor.waitForFinished(10000));
        QCOMPARE(monitor.exitCode(), 0);
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
        QVERIFY(help.contains("--mirror <[address:]port>"));
        QVERIFY(help.contains("--mirror-key <file>"));
        QVERIFY(!help.contains("platform"));
        QVERIFY(!help.contains("stylesheet"));
    }
};

QTEST_APPLESS_MAIN(CommandLineTest)
#include "command_line_test.moc"
