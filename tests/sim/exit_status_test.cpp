// The real gear-sim's exit status for a command line it cannot use: 2, the reason on standard
// error and nothing on standard output (whose first line scripts read for the line's path).
// 1 is left to a line that cannot be opened or breaks.

#include "ProcessHelpers.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

namespace {

struct Run {
    int status = -1;
    QByteArray out;
    QByteArray err;
};

// Runs gear-sim; a run that would go on (its options were taken) is stopped and fails the test.
Run gearSim(const QStringList &arguments) {
    QProcess process;
    // Far below what reading an endless line or a big recording into memory would take.
    limitAddressSpace(process, qint64(160) << 20);
    process.start(QStringLiteral(GEAR_SIM_PATH), arguments);
    if (!process.waitForFinished(10'000)) {
        process.terminate();
        process.waitForFinished();
        return {};
    }
    return {process.exitCode(), process.readAllStandardOutput(), process.readAllStandardError()};
}

void writeFile(const QString &path, const QByteArray &content) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(content);
}

const QByteArray kHeader =
    "gear-recording 1 port=Com7 speed=9600 parity=None data=8 flow=None stop=1\n";

} // namespace

class ExitStatusTest : public QObject {
    Q_OBJECT
private slots:
    void badOptions_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("reason");
        QTest::newRow("unknown option") << QStringList{"--fastest"} << "Unknown option";
        QTest::newRow("unknown short option") << QStringList{"-q"} << "Unknown option";
        QTest::newRow("missing value") << QStringList{"--baud"} << "Missing value";
        QTest::newRow("value to a switch") << QStringList{"--fast=yes"} << "fast";
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
        QTest::newRow("replay of a time beyond 64 bits")
            << QStringList{"--replay", "@dir/huge.rec"} << "huge.rec:2: a time beyond";
        QTest::newRow("replay of a time too late at half speed")
            << QStringList{"--replay", "@dir/late.rec", "--speed", "0.5"}
            << "late.rec:3: a time too late to replay";
    }
    void badOptions() {
        QFETCH(QStringList, arguments);
        QFETCH(QString, reason);
        const QTemporaryDir dir;
        writeFile(dir.filePath("good.rec"), kHeader + "0 line V:1\n");
        writeFile(dir.filePath("damaged.rec"), kHeader + "0 line V:1\n10 lime V:2\n");
        writeFile(dir.filePath("endless.rec"),
                  kHeader + "0 line V:1\n5 line " + QByteArray(64 << 20, 'Z'));
        writeFile(dir.filePath("torn.rec"), kHeader + "0 line V:1\n5 line V:\\q");
        writeFile(dir.filePath("huge.rec"), kHeader + "9223372036854775808 line V:1\n");
        // 100 years: fine at speed 1, 200 at half speed.
        writeFile(dir.filePath("late.rec"), kHeader + "0 line V:1\n3155760000000 line V:2\n");
        arguments.replaceInStrings(QStringLiteral("@dir"), dir.path());
        const Run run = gearSim(arguments);
        QCOMPARE(run.status, 2);
        QCOMPARE(run.out, QByteArray());
        QVERIFY2(run.err.startsWith("gear-sim: ") && run.err.contains(reason.toUtf8()),
                 run.err.constData());
    }

    // Asked for, help and the version are answers, not errors.
    void helpAndVersion_data() {
        QTest::addColumn<QString>("option");
        QTest::newRow("help") << "--help";
        QTest::newRow("version") << "--version";
    }
    void helpAndVersion() {
        QFETCH(QString, option);
        const Run run = gearSim({option});
        QCOMPARE(run.status, 0);
        QVERIFY(run.out.startsWith("gear-sim") || run.out.startsWith("Usage:"));
        QCOMPARE(run.err, QByteArray());
    }
};

QTEST_GUILESS_MAIN(ExitStatusTest)
#include "exit_status_test.moc"
