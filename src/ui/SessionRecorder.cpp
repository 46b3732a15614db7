#include "ui/SessionRecorder.h"

#include "link/Watchdog.h"
#include "platform/Logging.h"

#include <QElapsedTimer>
#include <QFile>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <pthread.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

recording::EventKind kindOf(LinkBand band) {
    switch (band) {
    case LinkBand::Live:
        return recording::EventKind::LinkLive;
    case LinkBand::Stale:
        return recording::EventKind::LinkStale;
    case LinkBand::Failed:
        break;
    }
    return recording::EventKind::LinkFailed;
}

SessionRecorder::Clock steadyClock() {
    auto timer = std::make_shared<QElapsedTimer>();
    timer->start();
    return [timer] { return static_cast<std::int64_t>(timer->elapsed()); };
}

// Where the recording goes: a descriptor open for writing, or -1 and the refusal filled in.
struct Target {
    int fd = -1;
    bool isFifo = false;
};

QString systemReason(int error) {
    return QString::fromLocal8Bit(std::strerror(error));
}

// Why the name, already taken, is not written to; empty for a FIFO, which may be.
QString takenBecause(const struct stat &st) {
    if (S_ISREG(st.st_mode))
        return QStringLiteral("the file exists, and a recording never replaces a file: "
                              "give a new name");
    if (S_ISDIR(st.st_mode))
        return QStringLiteral("it is a folder");
    if (S_ISCHR(st.st_mode) || S_ISBLK(st.st_mode))
        return QStringLiteral("it is a device, not a file");
    if (S_ISFIFO(st.st_mode))
        return {};
    return QStringLiteral("it is not a file");
}

// A new file, made here and nowhere else: an existing name, a symbolic link included (even one
// that leads nowhere, which would make the file elsewhere), is not followed or emptied. The one
// thing written to under a taken name is a FIFO that some program is reading, opened without
// waiting for one.
Target openTarget(const QString &path, SessionRecorder::Refusal &refusal) {
    const QByteArray name = QFile::encodeName(path);
    const int fd = ::open(name.constData(),
                          O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_NOCTTY | O_CLOEXEC, 0644);
    if (fd >= 0)
        return {fd, false};
    if (errno != EEXIST) {
        refusal = {systemReason(errno), false};
        return {};
    }
    refusal.nameTaken = true;
    struct stat st {};
    if (::stat(name.constData(), &st) != 0) {
        refusal.reason = QStringLiteral("it is a symbolic link that leads nowhere, and a "
                                        "recording is only made as a new file");
        return {};
    }
    if (refusal.reason = takenBecause(st); !refusal.reason.isEmpty())
        return {};
    const int fifo = ::open(name.constData(), O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fifo < 0) {
        refusal.reason = errno == ENXIO ? QStringLiteral("it is a FIFO that no program is reading")
                                        : systemReason(errno);
        return {};
    }
    // The name may have been given to something else between the look and the opening.
    if (::fstat(fifo, &st) != 0 || !S_ISFIFO(st.st_mode)) {
        ::close(fifo);
        refusal.reason = QStringLiteral("it changed while it was opened");
        return {};
    }
    return {fifo, true};
}

// A FIFO whose reader has gone raises SIGPIPE on a write, which would end the program: it is
// held back while the recorder writes, and taken if the write raised it, so the write fails with
// EPIPE instead.
class SigpipeHeld {
public:
    SigpipeHeld() {
        sigemptyset(&pipe_);
        sigaddset(&pipe_, SIGPIPE);
        sigset_t pending;
        sigpending(&pending);
        wasPending_ = sigismember(&pending, SIGPIPE) == 1;
        pthread_sigmask(SIG_BLOCK, &pipe_, &before_);
    }
    ~SigpipeHeld() {
        const timespec now{};
        if (!wasPending_)
            while (sigtimedwait(&pipe_, nullptr, &now) == SIGPIPE) {
            }
        pthread_sigmask(SIG_SETMASK, &before_, nullptr);
    }
    SigpipeHeld(const SigpipeHeld &) = delete;
    SigpipeHeld &operator=(const SigpipeHeld &) = delete;

private:
    sigset_t pipe_;
    sigset_t before_;
    bool wasPending_ = false;
};

QString whyNotWritten(int error) {
    if (error == EAGAIN)
        return QStringLiteral("its reader is not keeping up");
    if (error == EPIPE)
        return QStringLiteral("its reader has gone");
    return error == 0 ? QStringLiteral("nothing written") : systemReason(error);
}

} // namespace

recording::Header recordingHeader(const PortSettingsRecord &s) {
    return {s.Name.toStdString(),       s.Speed.toStdString(),       s.Parity.toStdString(),
            s.DataLength.toStdString(), s.FlowControl.toStdString(), s.StopBits.toStdString()};
}

std::unique_ptr<SessionRecorder> SessionRecorder::create(const QString &path, Refusal &refusal,
                                                         Clock clock,
                                                         const PortSettingsRecord &known) {
    const Target target = openTarget(path, refusal);
    if (target.fd < 0)
        return nullptr;
    std::unique_ptr<SessionRecorder> recorder(new SessionRecorder(
        target.fd, target.isFifo, path, clock ? std::move(clock) : steadyClock()));
    // Written now, so a session whose port never opens still leaves a recording that reads.
    recorder->stated_ = recordingHeader(known);
    recorder->writeText(recording::formatHeader(recorder->stated_));
    return recorder;
}

SessionRecorder::SessionRecorder(int fd, bool isFifo, QString path, Clock clock)
    : fd_(fd), isFifo_(isFifo), path_(std::move(path)), clock_(std::move(clock)) {}

SessionRecorder::~SessionRecorder() {
    end();
}

void SessionRecorder::end() {
    // The window closes the port on its way out; the recording says so.
    if (portOpen_)
        write({clock_(), recording::EventKind::PortClosed, {}});
    portOpen_ = false;
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
}

void SessionRecorder::lineReceived(const QString &line) {
    // The serial component hands over each byte as one Latin-1 character: this is the bytes.
    write({clock_(), recording::EventKind::Line, line.toLatin1().toStdString()});
}

void SessionRecorder::portState(bool open, const PortSettingsRecord &settings) {
    if (open == portOpen_ || !recording())
        return;
    portOpen_ = open;
    recording::Event event{
        clock_(), open ? recording::EventKind::PortOpened : recording::EventKind::PortClosed, {}};
    if (open && recordingHeader(settings) != stated_) {
        stated_ = recordingHeader(settings);
        event.settings = stated_;
    }
    write(event);
}

void SessionRecorder::linkBand(LinkBand band) {
    // Before the port first opens the link is failed by definition; nothing worth recording.
    if (band_ == band || (!band_ && !portOpen_))
        return;
    band_ = band;
    write({clock_(), kindOf(band), {}});
}

void SessionRecorder::write(const recording::Event &event) {
    if (recording())
        writeText(recording::formatEvent(event));
}

void SessionRecorder::writeText(const std::string &text) {
    const std::optional<SigpipeHeld> held =
        isFifo_ ? std::optional<SigpipeHeld>(std::in_place) : std::nullopt;
    std::size_t done = 0;
    while (fd_ >= 0 && done < text.size()) {
        const ssize_t n = ::write(fd_, text.data() + done, text.size() - done);
        if (n > 0)
            done += static_cast<std::size_t>(n);
        else if (n < 0 && errno == EINTR)
            continue;
        else
            stop(whyNotWritten(n < 0 ? errno : 0));
    }
}

void SessionRecorder::stop(const QString &why) {
    qCWarning(gearRecord, "Recording to %s stopped: %s; the monitor goes on without it",
              qUtf8Printable(path_), qUtf8Printable(why));
    ::close(fd_);
    fd_ = -1;
    portOpen_ = false;
}
