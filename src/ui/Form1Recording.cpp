// The optional session recording: the window tells it what happens, and nothing else changes
// but the window's title, which names the file while it records.
#include "ui/Form1.h"

#include "link/Watchdog.h"
#include "platform/SerialComponent.h"
#include "ui/SessionRecorder.h"

void Form1::setRecorder(std::unique_ptr<SessionRecorder> recorder) {
    recorder_ = std::move(recorder);
    showRecordingInTitle();
}

void Form1::setMirrorAddress(const QString &url) {
    mirrorAddress_ = url;
    showRecordingInTitle();
}

void Form1::showRecordingInTitle() {
    QString title = QString::fromLatin1(kCaption);
    if (recorder_ && recorder_->recording())
        title += QStringLiteral(" - recording ") + recorder_->path();
    if (!mirrorAddress_.isEmpty())
        title += QStringLiteral(" - mirror ") + mirrorAddress_;
    if (windowTitle() != title)
        setWindowTitle(title);
}

// A recording that stopped on a failed write no longer shows in the title.
void Form1::afterRecording() {
    if (!recorder_->recording())
        showRecordingInTitle();
}

void Form1::recordLine(const QString &line) {
    if (!recorder_)
        return;
    recorder_->lineReceived(line);
    afterRecording();
}

void Form1::recordPortState() {
    if (!recorder_)
        return;
    recorder_->portState(MSPort1 && MSPort1->isOpen(), state_.PortSettings);
    afterRecording();
}

// Setting the port up always closes it first, even when it opens it again at once.
void Form1::recordPortClosing() {
    if (!recorder_)
        return;
    recorder_->portState(false, state_.PortSettings);
    afterRecording();
}

// A port lost between ticks shows here as closed.
void Form1::recordTick(LinkBand band) {
    if (!recorder_)
        return;
    recordPortState();
    recorder_->linkBand(band);
    afterRecording();
}

// Whatever ends the program, the recording ends here with the port closed, and events that a
// message box held until now come after its end and are left out.
void Form1::endRecording() {
    if (!recorder_)
        return;
    recordPortState();
    recorder_->end();
}
