// A gear-sim session recorded by the monitor through a pseudo-terminal: the swing times found in
// the recording are gear-sim's own schedule, within one frame, and gear-log --follow prints a
// swing while the recording is still being written.

#include "GearCycle.h"
#include "MonitorFixture.h"
#include "Swings.h"
#include "settings/SettingsFile.h"
#include "ui/SessionRecorder.h"

#include <QProcess>
#include <QtTest>

#include <fstream>

namespace {

constexpr int kFrameMs = 100;

// The monitor recording to `path` what gear-sim, started as `sim` with `simArguments`, sends.
void startRecordedSession(MonitorFixture &f, const QString &path, QProcess &sim,
                          const QStringList &simArguments) {
    const PortSettingsRecord s{"Com3", "9600", "None", "8", "None", "1"};
    QCOMPARE(writeSettingsFile(settingsFilePath(f.host.folder),
                               formatSettingsFile(s, "v", f.host.clock, QLocale::c())),
             0);
    SessionRecorder::Refusal refusal;
    f.window().setRecorder(SessionRecorder::create(path, refusal));
    sim.start(QStringLiteral(GEAR_SIM_PATH), QStringList{"--link-dir", f.host.folder, "--port", "3",
                                                         "--frame-ms", QString::number(kFrameMs)} +
                                                 simArguments);
    QVERIFY(sim.waitForStarted());
    while (!sim.readAllStandardOutput().contains("linked") && sim.state() == QProcess::Running)
        sim.waitForReadyRead(5000);
    f.ticks(10);
    QVERIFY(f.window().serialPort()->isOpen());
}

} // namespace

class SwingTimesTest : public QObject {
    Q_OBJECT
private slots:
    void recordedSessionKeepsTheSchedule() {
        MonitorFixture f{PortKind::Real};
        const QString path = f.host.folder + "/swing.rec";
        // The left leg 3 frames slow: its swing is the longest either way.
        gearsim::LegTiming legs;
        legs.frames(gearsim::Leg::Left) += 3;
        QProcess sim;
        startRecordedSession(f, path, sim, {"--slow-leg", "left:0.3"});
        if (QTest::currentTestFailed())
            return;
        int lines = 0;
        QObject::connect(f.window().serialPort(), &SerialComponent::OnRead, [&] { ++lines; });
        // Five records a frame; a whole cycle and the longest swing after any start.
        const int wanted = 5 * (gearsim::GearCycle::framesPerCycle(legs) + 10);
        QTRY_VERIFY_WITH_TIMEOUT(lines >= wanted, 30000);
        QVERIFY(f.window().close());
        sim.terminate();
        sim.waitForFinished(5000);

        std::ifstream in(QFile::encodeName(path).toStdString());
        const auto read = recording::readRecording(in);
        QVERIFY(std::holds_alternative<recording::Recording>(read));
        int finished[2] = {0, 0};
        for (const Swing &swing : swingsOf(timelineOf(std::get<recording::Recording>(read)))) {
            if (swing.end != Swing::End::Finished)
                continue; // cut by the recording's end
            const bool retracting = swing.kind == Swing::Kind::Retraction;
            ++finished[retracting];
            std::int64_t last = 0;
            for (std::size_t leg = 0; leg < 3; ++leg) {
                const std::int64_t planned =
                    *gearsim::GearCycle::framesToLock(gearsim::kLegs[leg], retracting, legs) *
                    kFrameMs;
                last = std::max(last, planned);
                QVERIFY2(std::abs(*swing.locked[leg] - planned) <= kFrameMs,
                         qPrintable(QStringLiteral("leg %1: %2 ms, planned %3 ms")
                                        .arg(leg)
                                        .arg(*swing.locked[leg])
                                        .arg(planned)));
            }
            QVERIFY2(
                std::abs(*swing.swingMs() - last) <= kFrameMs,
                qPrintable(
                    QStringLiteral("swing %1 ms, planned %2 ms").arg(*swing.swingMs()).arg(last)));
        }
        QVERIFY(finished[0] >= 1 && finished[1] >= 1);
    }

    // gear-log --follow --cycles started with the recording prints a finished swing while the
    // monitor still records, and ends by itself once the port closed and nothing more came.
    void followPrintsASwingWhileRecorded() {
        MonitorFixture f{PortKind::Real};
        const QString path = f.host.folder + "/live.rec";
        QProcess sim;
        startRecordedSession(f, path, sim, {});
        if (QTest::currentTestFailed())
            return;
        QProcess log;
        log.start(QStringLiteral(GEAR_LOG_PATH), {"--follow", "--cycles", path});
        QVERIFY(log.waitForStarted());
        QByteArray printed;
        const QRegularExpression swing(
            QStringLiteral("(retraction|extension) at [0-9.]+: [0-9.]+ s\n"));
        QTRY_VERIFY_WITH_TIMEOUT(
            swing.match(QString::fromLatin1(printed += log.readAllStandardOutput())).hasMatch(),
            30000);
        QVERIFY(f.window().close()); // the recording ends with the port's close
        sim.terminate();
        sim.waitForFinished(5000);
        QVERIFY(log.waitForFinished(10000));
        QCOMPARE(log.exitStatus(), QProcess::NormalExit);
        QCOMPARE(log.exitCode(), 0);
        QCOMPARE(log.readAllStandardError(), QByteArray());
    }
};

QTEST_MAIN(SwingTimesTest)
#include "swing_times_test.moc"
