// The real gear-log on recordings that hold hostile texts, and on bad command lines.

#include "ProcessHelpers.h"
#include "ScopedMounts.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QXmlStreamReader>
#include <QtTest>

#include <sys/stat.h>

namespace {

// gear-log under a limit of its address space far below what holding a big recording would take.
constexpr qint64 kMemoryLimit = qint64(160) << 20;

ProgramRun gearLog(const QStringList &arguments) {
    return runProgram(QStringLiteral(GEAR_LOG_PATH), arguments,
                      QProcessEnvironment::systemEnvironment(), 10'000, kMemoryLimit);
}

const QByteArray kHeader =
    "gear-recording 1 port=Com7 speed=9600 parity=None data=8 flow=None stop=1\n";

// Switch UP at 0.5 s, every leg locked at 1.5 s, the pump off at 1.6 s; F:11100, so Y0 is the
// pump's power.
const QByteArray kSwing = kHeader +
                          "0 line F:11100\n0 line O:000000\n0 line I:10001001 10000000 00\n"
                          "500 line I:10001010 10000000 00\n600 line O:110000\n"
                          "600 line I:00000010 11000000 00\n"
                          "1500 line I:00110110 01000000 00\n1600 line O:000000\n";

// A file's bytes; nothing for what is not a regular file (reading a FIFO would wait).
QByteArray bytesOf(const QString &path) {
    return QFileInfo(path).isFile() ? readFile(path) : QByteArray();
}

// A recording whose events are `lines`, each written as it stands in the file (escapes and all).
QString recordingOf(const QTemporaryDir &dir, const QStringList &lines) {
    const QString path = dir.filePath(QStringLiteral("session.rec"));
    return writeFile(path, kHeader + lines.join('\n').toLatin1() + '\n') ? path : QString();
}

} // namespace

class GearLogTest : public QObject {
    Q_OBJECT
private slots:
    // Every text from the recording is printed escaped, in text and CSV alike, so no control
    // byte reaches a terminal and no line or row can be forged; in CSV a text that a spreadsheet
    // would take for a formula is made text.
    void hostileTexts_data() {
        QTest::addColumn<QStringList>("recorded");
        QTest::addColumn<QStringList>("text");
        QTest::addColumn<QStringList>("csv");
        QTest::newRow("ESC and BEL in the version")
            << QStringList{R"(0 line V:\x1b[2J\x1b]0;owned\x07)"}
            << QStringList{R"(0.000 V firmware version: \x1b[2J\x1b]0;owned\x07)"}
            << QStringList{R"(0.000,V,firmware version,,\x1b[2J\x1b]0;owned\x07)"};
        QTest::newRow("escaped line feed forging a line and a row in the count")
            << QStringList{R"(0 line C:7\x0a9.000,X0,forged,on,off)"}
            << QStringList{R"(0.000 C gear cycle count: 7\x0a9.000,X0,forged,on,off)"}
            << QStringList{"0.000,C,gear cycle count,,\"7\\x0a9.000,X0,forged,on,off\""};
        QTest::newRow("hostile text as the value before")
            << QStringList{R"(0 line V:\x1b[31m)", "500 line V:2"}
            << QStringList{R"(0.000 V firmware version: \x1b[31m)",
                           R"(0.500 V firmware version: \x1b[31m -> 2)"}
            << QStringList{R"(0.000,V,firmware version,,\x1b[31m)",
                           R"(0.500,V,firmware version,\x1b[31m,2)"};
        QTest::newRow("+ in the count") << QStringList{"0 line C:+SUM(1,2)"}
                                        << QStringList{"0.000 C gear cycle count: +SUM(1,2)"}
                                        << QStringList{"0.000,C,gear cycle count,,\"'+SUM(1,2)\""};
        QTest::newRow("leading - in the version")
            << QStringList{"0 line V:-2+3"} << QStringList{"0.000 V firmware version: -2+3"}
            << QStringList{"0.000,V,firmware version,,\"'-2+3\""};
        QTest::newRow("@ in an ignored line")
            << QStringList{"0 line @cmd"} << QStringList{"0.000 ignored line: @cmd"}
            << QStringList{"0.000,,ignored line,,\"'@cmd\""};
        QTest::newRow("formula with quotes in an ignored line")
            << QStringList{"0 line =HYPERLINK(\"http://x\",\"y\")"}
            << QStringList{"0.000 ignored line: =HYPERLINK(\"http://x\",\"y\")"}
            << QStringList{"0.000,,ignored line,,\"'=HYPERLINK(\"\"http://x\"\",\"\"y\"\")\""};
        QTest::newRow("non-ASCII bytes")
            << QStringList{R"(0 line V:\xc3\xa9t\xe9\xff\x00)"}
            << QStringList{R"(0.000 V firmware version: \xc3\xa9t\xe9\xff\x00)"}
            << QStringList{R"(0.000,V,firmware version,,\xc3\xa9t\xe9\xff\x00)"};
        QTest::newRow("a backslash stays told apart from an escape")
            << QStringList{R"(0 line V:a\\x1b)"}
            << QStringList{R"(0.000 V firmware version: a\\x1b)"}
            << QStringList{R"(0.000,V,firmware version,,a\\x1b)"};
    }
    void hostileTexts() {
        QFETCH(QStringList, recorded);
        QFETCH(QStringList, text);
        QFETCH(QStringList, csv);
        const QTemporaryDir dir;
        const QString path = recordingOf(dir, recorded);
        const ProgramRun printed = gearLog({path});
        const ProgramRun exported = gearLog({QStringLiteral("--csv"), path});
        QCOMPARE(printed.status, 0);
        QCOMPARE(exported.status, 0);
        QCOMPARE(QString::fromLatin1(printed.out), text.join('\n') + '\n');
        QCOMPARE(QString::fromLatin1(exported.out),
                 "time_s,address,meaning,from,to\n" + csv.join('\n') + '\n');
    }

    // 2 for a command line it cannot use, 1 for a recording it cannot read, 2 for a damaged one;
    // the reason goes to standard error, nothing to standard output.
    void exitStatus_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("reason");
        QTest::newRow("unknown option") << QStringList{"--cvs", "x.rec"} << 2 << "Unknown option";
        QTest::newRow("no recording") << QStringList{} << 2 << "expected one recording";
        QTest::newRow("missing file") << QStringList{"@dir/none.rec"} << 1 << "cannot read";
        QTest::newRow("a folder") << QStringList{"@dir"} << 1 << "is a folder";
        QTest::newRow("following a missing file")
            << QStringList{"--follow", "@dir/none.rec"} << 1 << "cannot read";
        QTest::newRow("following a folder")
            << QStringList{"--follow", "@dir"} << 1 << "is a folder";
        QTest::newRow("unknown --only")
            << QStringList{"--only", "X0,Z9", "x.rec"} << 2 << "no signal is called 'Z9'";
        QTest::newRow("empty --only")
            << QStringList{"--only", ",", "x.rec"} << 2 << "--only needs addresses";
        QTest::newRow("damaged file") << QStringList{"@dir/damaged.rec"} << 2 << ":2: unknown";
        QTest::newRow("--limit without --cycles")
            << QStringList{"--limit", "retract=5", "x.rec"} << 2 << "goes with --cycles";
        QTest::newRow("--limit of no swing")
            << QStringList{"--cycles", "--limit", "up=5", "x.rec"} << 2 << "--limit: expected";
        QTest::newRow("--limit NaN") << QStringList{"--cycles", "--limit", "retract=nan", "x.rec"}
                                     << 2 << "--limit: expected";
        QTest::newRow("--limit without seconds")
            << QStringList{"--cycles", "--limit", "extend", "x.rec"} << 2 << "--limit: expected";
        QTest::newRow("--only with --cycles")
            << QStringList{"--cycles", "--only", "X0", "x.rec"} << 2 << "exclude each other";
        QTest::newRow("--plot with --follow")
            << QStringList{"--plot", "@dir/p.png", "--follow", "x.rec"} << 2
            << "--plot draws a finished recording: it cannot --follow";
        QTest::newRow("--plot with --cycles")
            << QStringList{"--plot", "@dir/p.png", "--cycles", "x.rec"} << 2
            << "--plot and --cycles exclude each other";

        QTest::newRow("--from without --plot")
            << QStringList{"--from", "1", "x.rec"} << 2 << "--from and --to go with --plot";
        QTest::newRow("--to NaN") << QStringList{"--plot", "@dir/p.png", "--to", "nan", "x.rec"}
                                  << 2 << "--to: expected seconds";

        QTest::newRow("--only V in a plot")
            << QStringList{"--plot", "@dir/p.png", "--only", "X0,V", "x.rec"} << 2
            << "V has no row";
        QTest::newRow("a picture of no known kind")
            << QStringList{"--plot", "@dir/p.txt", "x.rec"} << 2 << "must end in .svg or .png";
        QTest::newRow("plotting /dev/zero")
            << QStringList{"--plot", "@dir/p.png", "/dev/zero"} << 2 << "is not a regular file";
        QTest::newRow("plotting a damaged file")
            << QStringList{"--plot", "@dir/p.png", "@dir/damaged.rec"} << 2 << ":2: unknown";
    }
    void exitStatus() {
        QFETCH(QStringList, arguments);
        QFETCH(int, status);
        QFETCH(QString, reason);
        const QTemporaryDir dir;
        QVERIFY(writeFile(dir.filePath("damaged.rec"), kHeader + "10 lime V:1\n"));
        arguments.replaceInStrings(QStringLiteral("@dir"), dir.path());
        const ProgramRun run = gearLog(arguments);
        QCOMPARE(run.status, status);
        QCOMPARE(run.out, QByteArray());
        QVERIFY2(run.err.startsWith("gear-log: ") && run.err.contains(reason.toUtf8()),
                 run.err.constData());
        QVERIFY(!QFileInfo::exists(dir.filePath("p.png"))); // a refused plot draws nothing
    }

    // --plot writes a new picture, or replaces one gear-log made; it refuses every other file
    // and every name it could not write to as a whole picture, leaving what is there as it was and
    // nothing of its own behind. A range outside the recording is refused.
    void plotPictures_data() {
        QTest::addColumn<QString>("prepare"); // what is made at @dir/pic.png first
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("reason");
        QTest::addColumn<QByteArray>("start"); // of the picture left at @dir/pic.png, if any
        const QStringList plot{"--plot", "@dir/pic.png", "@dir/swing.rec"};
        QTest::newRow("a new PNG") << "" << plot << 0 << "" << QByteArray("\x89PNG");
        QTest::newRow("a new SVG")
            << "" << QStringList{"--plot", "@dir/pic.png.SVG", "@dir/swing.rec"} << 0 << ""
            << QByteArray("<?xml");
        QTest::newRow("a picture gear-log made")
            << "plotted" << plot << 0 << "" << QByteArray("\x89PNG");
        QTest::newRow("any other file")
            << "precious" << plot << 2 << "exists and is not a picture gear-log made"
            << QByteArray("precious");
        QTest::newRow("a file that only names the mark")
            << "mark" << plot << 2 << "exists and is not a picture gear-log made"
            << QByteArray("0 line Plotted by gear-log from a recording");
        QTest::newRow("the recording itself, named .png")
            << "recording" << QStringList{"--plot", "@dir/pic.png", "@dir/pic.png"} << 2
            << "exists and is not a picture" << QByteArray("gear-recording 1");
        QTest::newRow("a folder") << "folder" << plot << 2 << "is a folder" << QByteArray();
        QTest::newRow("a dangling link")
            << "dangling" << plot << 2 << "is a symbolic link that leads nowhere" << QByteArray();
        QTest::newRow("a link to a picture gear-log made")
            << "link" << plot << 2 << "is a symbolic link: give" << QByteArray();
        QTest::newRow("a FIFO no program reads")
            << "fifo" << plot << 2 << "is a FIFO" << QByteArray();
        QTest::newRow("an SVG of a recording named with markup")
            << "markup" << QStringList{"--plot", "@dir/pic.svg", "@dir/<svg onload=x()>&.rec"} << 0
            << "" << QByteArray("<?xml");
        QTest::newRow("a missing folder")
            << "" << QStringList{"--plot", "@dir/none/pic.png", "@dir/swing.rec"} << 2
            << "there is no folder" << QByteArray();
        QTest::newRow("a full disk") << "full" << plot << 1 << "cannot write" << QByteArray();
        QTest::newRow("a read-only folder")
            << "read-only" << plot << 1 << "cannot write" << QByteArray();
        QTest::newRow("a range") << "" << plot + QStringList{"--from", "0.5", "--to", "1.6"} << 0
                                 << "" << QByteArray("\x89PNG");
        QTest::newRow("--from past the end")
            << "" << plot + QStringList{"--from", "1.6"} << 2
            << "--from is past the recording's end (the recording ends at 1.600 s)" << QByteArray();
        QTest::newRow("--to past the end")
            << "" << plot + QStringList{"--to", "1.601"} << 2 << "--to is past" << QByteArray();
        QTest::newRow("reversed") << "" << plot + QStringList{"--from", "1", "--to", "0.5"} << 2
                                  << "--from must come before --to" << QByteArray();
    }
    void plotPictures() {
        QFETCH(QString, prepare);
        QFETCH(QStringList, arguments);
        QFETCH(int, status);
        QFETCH(QString, reason);
        QFETCH(QByteArray, start);
        const QTemporaryDir dir;
        const QString picture = dir.filePath("pic.png");
        QVERIFY(writeFile(dir.filePath("swing.rec"), kSwing));
        arguments.replaceInStrings(QStringLiteral("@dir"), dir.path());
        ScopedMounts mounts;
        QString refused;
        if (prepare == "plotted" || prepare == "link")
            QCOMPARE(
                gearLog({"--plot", dir.filePath("made.png"), dir.filePath("swing.rec")}).status, 0);
        if (prepare == "plotted")
            QVERIFY(QFile::rename(dir.filePath("made.png"), picture));
        if (prepare == "link")
            QVERIFY(QFile::link(dir.filePath("made.png"), picture));
        if (prepare == "mark")
            QVERIFY(writeFile(picture, "0 line Plotted by gear-log from a recording\n"));
        if (prepare == "precious")
            QVERIFY(writeFile(picture, "precious"));
        if (prepare == "recording")
            QVERIFY(writeFile(picture, kHeader + "0 line V:1\n"));
        if (prepare == "folder")
            QVERIFY(QDir(dir.path()).mkdir("pic.png"));
        if (prepare == "dangling")
            QVERIFY(QFile::link(dir.filePath("elsewhere.png"), picture));
        if (prepare == "markup")
            QVERIFY(QFile::copy(dir.filePath("swing.rec"), dir.filePath("<svg onload=x()>&.rec")));
        if (prepare == "fifo")
            QCOMPARE(mkfifo(QFile::encodeName(picture).constData(), 0600), 0);
        if (prepare == "full" || prepare == "read-only") {
            QVERIFY(QDir(dir.path()).mkdir("mount"));
            arguments.replaceInStrings(picture, dir.filePath("mount/pic.png"));
            refused = prepare == "full" ? mounts.tmpfs(dir.filePath("mount"), "size=4k")
                                        : mounts.readOnlyBind(dir.filePath("mount"));
        }
        if (!refused.isEmpty())
            QSKIP(qPrintable(refused));
        const QStringList before = QDir(dir.path()).entryList(QDir::AllEntries | QDir::System);
        const QByteArray old = bytesOf(picture);
        const ProgramRun run = gearLog(arguments);
        QCOMPARE(run.status, status);
        QCOMPARE(run.out, QByteArray());
        QVERIFY2(run.err.contains(reason.toUtf8()), run.err.constData());
        if (status != 0) { // what was there stays, and nothing is added
            QCOMPARE(bytesOf(picture), old);
            QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::System), before);
            QCOMPARE(QDir(dir.filePath("mount")).entryList(QDir::Files | QDir::Hidden),
                     QStringList());
        }
        const QString made = arguments.at(arguments.indexOf("--plot") + 1);
        QVERIFY2(bytesOf(made).startsWith(start), bytesOf(made).left(16).constData());
        if (status == 0 && made.endsWith(".svg", Qt::CaseInsensitive)) {
            // Well-formed, its title the recording's name as it is, whatever it holds.
            QXmlStreamReader xml(bytesOf(made));
            QString title;
            while (!xml.atEnd())
                if (xml.readNext() == QXmlStreamReader::StartElement && xml.name() == u"title")
                    title = xml.readElementText();
            QVERIFY2(!xml.hasError(), qPrintable(xml.errorString()));
            QVERIFY2(title.startsWith(QFileInfo(arguments.last()).fileName() + ", "),
                     qPrintable(title));
        }
    }

    // --cycles: a swing over its limit is marked and makes the status 1, so a script can check a
    // gear swing; a damaged recording still gives 2.
    void swingLimits_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("status");
        QTest::addColumn<QByteArray>("printed"); // part of standard output
        QTest::newRow("no limit") << QStringList{"--cycles"} << 0 << QByteArray("1.000 s\n");
        QTest::newRow("within") << QStringList{"--cycles", "--limit", "retract=1"} << 0
                                << QByteArray("limit 1.000 s: within");
        QTest::newRow("over") << QStringList{"--cycles", "--limit", "retract=0.999"} << 1
                              << QByteArray("limit 0.999 s: OVER");
        QTest::newRow("over, as CSV")
            << QStringList{"--cycles", "--csv", "--limit", "retract=0.5", "--limit", "extend=9"}
            << 1 << QByteArray(",0.500,yes\n");
        QTest::newRow("extension limit only") << QStringList{"--cycles", "--limit", "extend=0.5"}
                                              << 0 << QByteArray("retraction at 0.500: 1.000 s");
    }
    void swingLimits() {
        QFETCH(QStringList, arguments);
        QFETCH(int, status);
        QFETCH(QByteArray, printed);
        const QTemporaryDir dir;
        // Switch UP at 0.5 s, every leg locked at 1.5 s; F:11100, so Y0 is the pump's power.
        const QString path =
            recordingOf(dir, {"0 line F:11100", "0 line O:000000", "0 line I:10001001 10000000 00",
                              "500 line I:10001010 10000000 00", "600 line O:110000",
                              "600 line I:00000010 11000000 00", "1500 line I:00110110 01000000 00",
                              "1600 line O:000000"});
        const ProgramRun run = gearLog(arguments << path);
        QCOMPARE(run.status, status);
        QVERIFY2(run.out.contains(printed), run.out.constData());
    }

    // Endless, huge and hostile input: refused at the first bad line with at most a short
    // excerpt, or read with flat memory (every run is under kMemoryLimit).
    void hostileFiles_data() {
        QTest::addColumn<QString>("file"); // @dir/NAME: written from the row's content
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("reason");
        QTest::addColumn<int>("outLines");
        const QByteArray &header = kHeader;
        QTest::newRow("/dev/zero")
            << "/dev/zero" << QByteArray() << 2 << "/dev/zero:1: a line longer than" << 0;
        QTest::newRow("an endless event line")
            << "@dir/endless.rec" << header + "0 line V:" + QByteArray(64 << 20, 'Z') << 2
            << ":2: a line longer than" << 0;
        QTest::newRow("a long unknown word is quoted short")
            << "@dir/word.rec" << header + "0 " + QByteArray(16000, 'w') + "\n"
            << 2 << ":2: unknown event 'wwwwwwwwwwwwwwwwwwwwwwwwwwwwwwww...'" << 0;
        QTest::newRow("a bad escape on an unterminated last line")
            << "@dir/torn.rec" << header + "0 line V:1\n5 line V:\\q" << 2
            << ":3: the received line holds a broken escape" << 1;
        QByteArray many = header;
        for (int i = 0; i < 3'000'000; ++i)
            many += "7 line V:1\n";
        QTest::newRow("33 MB of events read with flat memory")
            << "@dir/many.rec" << many << 0 << "" << 1;
    }
    void hostileFiles() {
        QFETCH(QString, file);
        QFETCH(QByteArray, content);
        QFETCH(int, status);
        QFETCH(QString, reason);
        QFETCH(int, outLines);
        const QTemporaryDir dir;
        if (file.startsWith('@')) {
            file.replace(QStringLiteral("@dir"), dir.path());
            QVERIFY(writeFile(file, content));
        }
        const ProgramRun run = gearLog({file});
        QCOMPARE(run.status, status);
        QCOMPARE(run.out.count('\n'), outLines);
        QVERIFY2(run.err.size() < 200, run.err.left(200).constData());
        QVERIFY2(run.err.contains(reason.toUtf8()), run.err.constData());
    }

    // --follow prints as the recording is written and ends, having printed all, on SIGTERM or
    // once the port closed and nothing more came; with --csv, --only and --cycles alike.
    void followEnds_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QByteArray>("closing"); // appended once the first rows are printed
        QTest::addColumn<QByteArray>("printed");
        QTest::newRow("SIGTERM, a line being written")
            << QStringList{"--only", "X0"} << QByteArray("9 line I:0 00000000 0")
            << QByteArray("0.000 X0 Indicates the Right gear is down: switch closed\n");
        QTest::newRow("the port closed, as CSV") << QStringList{"--csv"} << QByteArray("9 close\n")
                                                 << QByteArray("0.009,,port,,closed\n");
        QTest::newRow("swings, the port closed")
            << QStringList{"--cycles"} << QByteArray("9 close\n") << QByteArray("no gear swing\n");
    }
    void followEnds() {
        QFETCH(QStringList, arguments);
        QFETCH(QByteArray, closing);
        QFETCH(QByteArray, printed);
        const QTemporaryDir dir;
        const QString path = recordingOf(dir, {"0 line O:000000", "0 line I:10000000 00000000 00",
                                               "0 line F:11100", "0 line V:1", "0 line C:2"});
        QProcess log;
        log.start(QStringLiteral(GEAR_LOG_PATH), arguments << "--follow" << path);
        QVERIFY(log.waitForStarted());
        if (!arguments.contains("--cycles")) // at least the start is printed, then it waits
            QVERIFY(log.waitForReadyRead(5000));
        QFile file(path);
        QVERIFY(file.open(QIODevice::Append) && file.write(closing) == closing.size());
        file.close();
        if (!closing.endsWith('\n'))
            log.terminate();
        QVERIFY(log.waitForFinished(10000));
        QCOMPARE(log.exitCode(), 0);
        QVERIFY2(log.readAllStandardOutput().endsWith(printed), printed.constData());
    }

    // --only follows a few signals; the port and the link stay, as they say when the readings
    // were live.
    void onlyFollowsTheNamedSignals() {
        const QTemporaryDir dir;
        const QString path = recordingOf(
            dir, {"0 open", "10 line V:1", "20 line O:000000", "30 line I:00000000 00000000 00",
                  "35 line junk", "40 live", "50 line O:100001", "60 line I:10000001 00000000 00"});
        const ProgramRun run = gearLog({"--only", "X0,Y5", "--only", "X7", path});
        QCOMPARE(run.status, 0);
        QCOMPARE(QString::fromLatin1(run.out),
                 QStringLiteral("0.000 port: open\n"
                                "0.020 Y5 Horn Relay is Energized: output off\n"
                                "0.030 X0 Indicates the Right gear is down: switch open\n"
                                "0.030 X7 Indicates the Gear switch is in the DOWN position: "
                                "switch open\n"
                                "0.040 link: - -> live\n"
                                "0.050 Y5 Horn Relay is Energized: output off -> output on\n"
                                "0.060 X0 Indicates the Right gear is down: switch open -> "
                                "switch closed\n"
                                "0.060 X7 Indicates the Gear switch is in the DOWN position: "
                                "switch open -> switch closed\n"));
    }
};

QTEST_GUILESS_MAIN(GearLogTest)
#include "gear_log_test.moc"
