#include "MonitorFixture.h"
#include "link/Recording.h"
#include "settings/SettingsFile.h"
#include "ui/SessionRecorder.h"

#include <QProcess>
#include <QtTest>

#include <fstream>

namespace {

// What the window showed after one received line.
struct Step {
    QString line, inputs, outputs, config, firmware, cycles;
    bool operator==(const Step &) const = default;
};

QString flags(const std::array<bool, kStatusBitCount> &bits, int count) {
    QString s;
    for (int i = 0; i < count; ++i)
        s += bits[i] ? '1' : '0';
    return s;
}

QString flags(const ::ConfigFlags &c) {
    QString s;
    for (bool on : {c.C0, c.C1, c.C73, c.C121, c.C122})
        s += on ? '1' : '0';
    return s;
}

// A monitor on the program's own serial component, recording to `path`, noting each step.
struct RecordingMonitor {
    MonitorFixture f{PortKind::Real};
    QList<Step> steps;
    QString path;

    explicit RecordingMonitor(const QString &name) : path(f.host.folder + "/" + name) {
        const PortSettingsRecord s{"Com3", "9600", "None", "8", "None", "1"};
        if (writeSettingsFile(settingsFilePath(f.host.folder),
                              formatSettingsFile(s, "v", f.host.clock, QLocale::c())) != 0)
            qFatal("settings file not written");
        SessionRecorder::Refusal error;
        f.window().setRecorder(SessionRecorder::create(path, error));
    }
    // Connected after the window's own handler, so it sees what the line did.
    void watch() {
        QObject::connect(f.window().serialPort(), &SerialComponent::OnRead, [this] {
            const MonitorState &m = f.state();
            steps.append({m.LastLine, flags(m.InputBits, kInputCount),
                          flags(m.OutputBits, kOutputCount), flags(m.ConfigFlags),
                          f.caption(ControlId::FirmwareVersion),
                          f.caption(ControlId::LG_CycleCount)});
        });
    }
};

// gear-sim linked as com3 in `folder`; started once it has made the link.
struct Simulator {
    QProcess process;
    Simulator(const QString &folder, QStringList arguments) {
        arguments << "--link-dir" << folder << "--port"
                  << "3";
        process.start(QStringLiteral(GEAR_SIM_PATH), arguments);
        if (!process.waitForStarted())
            qFatal("gear-sim did not start");
        while (!process.readAllStandardOutput().contains("linked") &&
               process.state() == QProcess::Running)
            process.waitForReadyRead(5000);
    }
    ~Simulator() {
        process.terminate();
        process.waitForFinished(5000);
    }
};

} // namespace

class RecordReplayTest : public QObject {
    Q_OBJECT
private slots:
    // A session recorded from gear-sim, replayed at high speed into a second monitor, shows the
    // same lines and the same decoded states, step by step.
    void aReplayedSessionDecodesAsRecorded() {
        QList<Step> recorded;
        QString file;
        {
            RecordingMonitor first("first.rec");
            Simulator sim(first.f.host.folder, {"--frame-ms", "20", "--garbage"});
            first.f.ticks(10);
            QVERIFY(first.f.window().serialPort()->isOpen());
            first.watch();
            QTRY_VERIFY_WITH_TIMEOUT(first.steps.size() >= 150, 20000);
            QVERIFY(first.f.window().close());
            recorded = first.steps;
            file = first.path;
            // Kept beyond the fixture's folder.
            QFile::remove(QDir::temp().filePath("replay-under-test.rec"));
            QVERIFY(QFile::copy(file, QDir::temp().filePath("replay-under-test.rec")));
            file = QDir::temp().filePath("replay-under-test.rec");
        }
        RecordingMonitor second("second.rec");
        Simulator replay(second.f.host.folder, {"--replay", file, "--speed", "1000"});
        second.watch();
        second.f.ticks(10);
        QVERIFY(second.f.window().serialPort()->isOpen());
        // Every line of the recording arrives: the first monitor may have taken a few more
        // after the watch began counting, never fewer.
        std::ifstream in(QFile::encodeName(file).toStdString());
        const auto read = recording::readRecording(in);
        QVERIFY(std::holds_alternative<recording::Recording>(read));
        qsizetype lines = 0;
        for (const auto &e : std::get<recording::Recording>(read).events)
            lines += e.kind == recording::EventKind::Line;
        QTRY_COMPARE_WITH_TIMEOUT(second.steps.size(), lines, 20000);
        QVERIFY(lines >= recorded.size());
        // The first monitor's watch started after the port opened; its steps are the tail of
        // the replayed ones, and the decoded states match there step by step (the states
        // before depend on lines the watch did not see, and match as a whole).
        const qsizetype offset = lines - recorded.size();
        for (qsizetype i = 0; i < recorded.size(); ++i)
            QVERIFY2(second.steps.at(offset + i) == recorded.at(i),
                     qPrintable(QStringLiteral("step %1: %2").arg(i).arg(recorded.at(i).line)));
        QFile::remove(file);
    }
};

QTEST_MAIN(RecordReplayTest)
#include "record_replay_test.moc"
