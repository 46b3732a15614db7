// The optional session recording: the window tells it what happens, and nothing else changes.
#include "ui/Form1.h"

#include "link/Watchdog.h"
#include "platform/SerialComponent.h"
#include "ui/SessionRecorder.h"

void Form1::setRecorder(std::unique_ptr<SessionRecorder> recorder) {
    recorder_ = std::move(recorder);
}

void Form1::recordLine(const QString &line) {
    if (recorder_)
        recorder_->lineReceived(line, state_.PortSettings);
}

void Form1::recordPortState() {
    if (recorder_)
        recorder_->portState(MSPort1 && MSPort1->isOpen(), state_.PortSettings);
}

// Setting the port up always closes it first, even when it opens it again at once.
void Form1::recordPortClosing() {
    if (recorder_)
        recorder_->portState(false, state_.PortSettings);
}

// A port lost between ticks shows here as closed.
void Form1::recordTick(LinkBand band) {
    if (!recorder_)
        return;
    recordPortState();
    recorder_->linkBand(band, state_.PortSettings);
}
