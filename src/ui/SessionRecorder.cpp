#include "ui/SessionRecorder.h"

#include "link/Watchdog.h"
#include "platform/Logging.h"

#include <QElapsedTimer>
#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
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

} // namespace

recording::Header recordingHeader(const PortSettingsRecord &s) {
    return {s.Name.toStdString(),       s.Speed.toStdString(),       s.Parity.toStdString(),
            s.DataLength.toStdString(), s.FlowControl.toStdString(), s.StopBits.toStdString()};
}

std::unique_ptr<SessionRecorder> SessionRecorder::create(const QString &path, QString &error,
                                                         Clock clock) {
    const int fd =
        ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) {
        error = QString::fromLocal8Bit(std::strerror(errno));
        return nullptr;
    }
    return std::unique_ptr<SessionRecorder>(
        new SessionRecorder(fd, path, clock ? std::move(clock) : steadyClock()));
}

SessionRecorder::SessionRecorder(int fd, QString path, Clock clock)
    : fd_(fd), path_(std::move(path)), clock_(std::move(clock)) {}

SessionRecorder::~SessionRecorder() {
    // The window closes the port on its way out; the recording says so.
    if (portOpen_ && recording())
        writeText(recording::formatEvent({clock_(), recording::EventKind::PortClosed, {}}));
    if (fd_ >= 0)
        ::close(fd_);
}

void SessionRecorder::lineReceived(const QString &line, const PortSettingsRecord &settings) {
    // The serial component hands over each byte as one Latin-1 character: this is the bytes.
    write({clock_(), recording::EventKind::Line, line.toLatin1().toStdString()}, settings);
}

void SessionRecorder::portState(bool open, const PortSettingsRecord &settings) {
    if (open == portOpen_)
        return;
    portOpen_ = open;
    write(
        {clock_(), open ? recording::EventKind::PortOpened : recording::EventKind::PortClosed, {}},
        settings);
}

void SessionRecorder::linkBand(LinkBand band, const PortSettingsRecord &settings) {
    // Before the port first opens the link is failed by definition; nothing worth recording.
    if (band_ == band || (!band_ && !portOpen_))
        return;
    band_ = band;
    write({clock_(), kindOf(band), {}}, settings);
}

void SessionRecorder::write(const recording::Event &event, const PortSettingsRecord &settings) {
    if (!recording())
        return;
    if (!headerWritten_) {
        headerWritten_ = true;
        writeText(recording::formatHeader(recordingHeader(settings)));
    }
    writeText(recording::formatEvent(event));
}

void SessionRecorder::writeText(const std::string &text) {
    std::size_t done = 0;
    while (fd_ >= 0 && done < text.size()) {
        const ssize_t n = ::write(fd_, text.data() + done, text.size() - done);
        if (n > 0)
            done += static_cast<std::size_t>(n);
        else if (n < 0 && errno == EINTR)
            continue;
        else
            stop(n < 0 ? QString::fromLocal8Bit(std::strerror(errno))
                       : QStringLiteral("nothing written"));
    }
}

void SessionRecorder::stop(const QString &why) {
    qCWarning(gearRecord, "Recording to %s stopped: %s; the monitor goes on without it",
              qUtf8Printable(path_), qUtf8Printable(why));
    ::close(fd_);
    fd_ = -1;
}
