#include "platform/StopSignals.h"

#include <QSocketNotifier>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace {

constexpr int kStopSignals[] = {SIGINT, SIGTERM, SIGHUP};

// Read end [0] watched by the event loop, write end [1] used by the handler.
int stopPipe[2] = {-1, -1};

void onStopSignal(int signalNumber) {
    const int savedErrno = errno;
    const unsigned char number = static_cast<unsigned char>(signalNumber);
    // A full pipe already holds a request; nothing is lost by dropping this one.
    [[maybe_unused]] const ssize_t written = ::write(stopPipe[1], &number, 1);
    errno = savedErrno;
}

// Signals ignored when the program started stay ignored: "nohup gear-monitor &" must outlive
// its terminal.
bool ignoredAtStart(int signalNumber) {
    struct sigaction current {};
    return sigaction(signalNumber, nullptr, &current) == 0 && current.sa_handler == SIG_IGN;
}

void setHandler(int signalNumber, void (*handler)(int)) {
    struct sigaction action {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(signalNumber, &action, nullptr);
}

} // namespace

StopSignals::StopSignals(QObject *parent) : QObject(parent) {
    if (::pipe2(stopPipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return;
    notifier_ = new QSocketNotifier(stopPipe[0], QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &StopSignals::readPipe);
    for (int signalNumber : kStopSignals)
        if (!ignoredAtStart(signalNumber))
            handled_.push_back(signalNumber);
    for (int signalNumber : handled_)
        setHandler(signalNumber, onStopSignal);
}

StopSignals::~StopSignals() {
    if (!installed())
        return;
    for (int signalNumber : handled_)
        setHandler(signalNumber, SIG_DFL);
    delete notifier_;
    ::close(stopPipe[0]);
    ::close(stopPipe[1]);
    stopPipe[0] = stopPipe[1] = -1;
}

void StopSignals::readPipe() {
    unsigned char number = 0;
    while (::read(stopPipe[0], &number, 1) == 1)
        emit stopRequested(number);
}
