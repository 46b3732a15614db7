#include "CommandLine.h"
#include "ProgramVersion.h"
#include "mirror/PanelMirror.h"
#include "mirror/StartLine.h"
#include "platform/Logging.h"
#include "platform/QtHost.h"
#include "platform/StopSignals.h"
#include "settings/SettingsFile.h"
#include "ui/Form1.h"
#include "ui/SessionRecorder.h"

#include <QApplication>
#include <QDir>
#include <QStandardPaths>

#include <cstdio>

namespace {

// The recorder the command line asks for: none, or one recording to its file, which is always
// made anew. Null and a message when the recording cannot be made.
std::unique_ptr<SessionRecorder> recorderFor(const CommandLine &commandLine, bool &failed) {
    failed = false;
    if (commandLine.recordFile.isEmpty() && !commandLine.recordDated)
        return nullptr;
    QString path = commandLine.recordFile;
    SessionRecorder::Refusal refusal;
    std::unique_ptr<SessionRecorder> recorder;
    if (commandLine.recordDated) {
        const QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
        QDir().mkpath(folder);
        const QDateTime now = QDateTime::currentDateTime();
        // Two starts in the same second each get a file of their own.
        for (int attempt = 1; attempt <= kDatedAttempts && !recorder; ++attempt) {
            path = datedRecordingPath(folder, now, attempt);
            recorder = SessionRecorder::create(path, refusal);
            if (!refusal.nameTaken)
                break;
        }
    } else {
        recorder = SessionRecorder::create(path, refusal);
    }
    if (!recorder) {
        failed = true;
        std::fprintf(stderr, "gear-monitor: cannot record to %s: %s\n", qPrintable(path),
                     qPrintable(refusal.reason));
    }
    return recorder;
}

} // namespace

int main(int argc, char *argv[]) {
    // Help, version and usage errors are answered before any display is needed.
    const CommandLine commandLine = parseCommandLine(argumentList(argc, argv));
    if (commandLine.action == CommandLine::Action::Exit) {
        std::fputs(qPrintable(commandLine.standardOutput), stdout);
        std::fputs(qPrintable(commandLine.standardError), stderr);
        return commandLine.exitCode;
    }

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("gear-monitor"));
    QApplication::setApplicationVersion(QLatin1String(programversion::kVersion));
    // Lets the desktop match the window to its menu entry and icon.
    QGuiApplication::setDesktopFileName(QStringLiteral(GEAR_DESKTOP_ID));
    qCInfo(gearUi, "desktop entry %s", qPrintable(QGuiApplication::desktopFileName()));
    QApplication::setStyle(QStringLiteral("Fusion"));

    QtHost host{QLatin1String(kSettingsFileName)};
    bool recordingRefused = false;
    auto recorder = recorderFor(commandLine, recordingRefused);
    if (recordingRefused)
        return ExitCannotRecord;
    std::unique_ptr<PanelMirror> mirror;
    if (commandLine.mirror) {
        QString refusal;
        mirror = PanelMirror::start(
            {commandLine.mirrorAddress, commandLine.mirrorPort, commandLine.mirrorKeyFile},
            refusal);
        if (!mirror) {
            std::fprintf(stderr, "gear-monitor: %s\n", qPrintable(refusal));
            return ExitCannotMirror;
        }
        std::fputs(startText(mirror->urls()).toUtf8().constData(), stdout);
        std::fflush(stdout);
    }
    Form1 window(host);
    window.setRecorder(std::move(recorder));
    if (mirror) {
        mirror->serve(window);
        window.setMirrorAddress(mirror->urls().constFirst());
    }
    host.setDialogParent(&window);
    // Ended from outside, the program closes as if its window were closed.
    StopSignals stopSignals;
    QObject::connect(&stopSignals, &StopSignals::stopRequested, &window, &QWidget::close);
    window.show();
    return app.exec();
}
