// The real gear-sim's exit status for a command line it cannot use: 2, the reason on standard
// error and nothing on standard output (whose first line scripts read for the line's path).
// 1 is left to a line that cannot be opened or breaks. Help and the version, asked for, are
// answers: 0.

#include "ProcessHelpers.h"

#include <QTemporaryDir>
#include <QtTest>

static const QByteArray kHeader =
    "gear-recording 1 port=Com7 speed=9600 parity=None data=8 flow=None stop=1\n";

class ExitStatusTest : public QObject {
    Q_OBJECT
private slots:
    void badOptions_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("reason");
        QTest::newRow("help") << QStringList{"--help"} << "";
        QTest::newRow("version") << QStringList{"--version"} << "";
        QTest::newRow("unknown option") << QStringList{"--fastest"} << "Unknown option";
        QTest::newRow("stray argument") << QStringList{"/dev/ttyS0"} << "unexpected argument";
        QTest::newRow("unusable value") << QStringList{"--baud", "0"} << "--baud";
        QTest::newRow("value out of range")
            << QStringList{"--port", "256", "--link-dir", "@dir"} << "--port";
        QTest::newRow("options that exclude each other")
            << QStringList{"--fast", "--frame-ms", "100"} << "--fast";
        QTest::newRow("speed without replay") << QStringList{"--speed", "2"} << "--replay";
        QTest::newRow("speed zero")
            << QStringList{"--replay", "@dir/good.rec", "--speed", "0"} << "--speed";
        QTest::newRow("replay of a missing file")
            << QStringList{"--replay", "@dir/none.rec"} << "cannot read";
        QTest::newRow("replay of a folder") << QStringList{"--replay", "@dir"} << "is a folder";
        // Under the memory limit below: an endless line is refused at the line bound.
        QTest::newRow("replay of /dev/zero")
            << QStringList{"--replay", "/dev/zero"} << "/dev/zero:1: a line longer than";
        QTest::newRow("replay of an endless event line")
            << QStringList{"--replay", "@dir/endless.rec"} << "endless.rec:3: a line longer than";
        QTest::newRow("replay of a torn last line with a bad escape")
            << QStringList{"--replay", "@dir/torn.rec"} << "torn.rec:3: the received line holds";
        QTest::newRow("replay of a damaged file")
            << QStringList{"--replay", "@dir/damaged.rec"} << "damaged.rec:3: unknown event";
        QTest::newRow("replay of a time too late at half speed")
            << QStringList{"--replay", "@dir/late.rec", "--speed", "0.5"}
            << "late.rec:3: a time too late to replay";
    }
    void badOptions() {
        QFETCH(QStringList, arguments);
        QFETCH(QString, reason);
        const QTemporaryDir dir;
        QVERIFY(writeFile(dir.filePath("good.rec"), kHeader + "0 line V:1\n"));
        QVERIFY(writeFile(dir.filePath("damaged.rec"), kHeader + "0 line V:1\n10 lime V:2\n"));
        QVERIFY(writeFile(dir.filePath("endless.rec"),
                          kHeader + "0 line V:1\n5 line " + QByteArray(64 << 20, 'Z')));
        QVERIFY(writeFile(dir.filePath("torn.rec"), kHeader + "0 line V:1\n5 line V:\\q"));
        // 100 years: fine at speed 1, 200 at half speed.
        QVERIFY(
            writeFile(dir.filePath("late.rec"), kHeader + "0 line V:1\n3155760000000 line V:2\n"));
        arguments.replaceInStrings(QStringLiteral("@dir"), dir.path());
        // Far below what reading an endless line or a big recording into memory would take.
        const ProgramRun run =
            runProgram(QStringLiteral(GEAR_SIM_PATH), arguments,
                       QProcessEnvironment::systemEnvironment(), 10'000, qint64(160) << 20);
        QVERIFY2(run.ended, "gear-sim took options it should refuse and ran on");
        if (reason.isEmpty()) {
            QCOMPARE(run.status, 0);
            QVERIFY(!run.out.isEmpty() && run.err.isEmpty());
            return;
        }
        QCOMPARE(run.status, 2);
        QCOMPARE(run.out, QByteArray());
        QVERIFY2(run.err.startsWith("gear-sim: ") && run.err.contains(reason.toUtf8()),
                 run.err.constData());
    }
};

QTEST_GUILESS_MAIN(ExitStatusTest)
#include "exit_status_test.moc"
