#pragma once

#include "link/PortSettings.h"
#include "link/Recording.h"

#include <QString>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

enum class LinkBand;

// Writes a monitor session to a recording file as it happens: every received line, the port
// opening and closing and the link changing band. Each event is one write() of a preformatted
// line, so a crash loses at most the line being written. A failed write ends the recording with
// one warning on gear.record; the monitor goes on without it.
class SessionRecorder {
public:
    using Clock = std::function<std::int64_t()>; // milliseconds, monotonic

    // Creates (or empties) the file; nullptr and the reason when it cannot. The header is written
    // with the first event, when the port settings are known.
    static std::unique_ptr<SessionRecorder> create(const QString &path, QString &error,
                                                   Clock clock = {});
    ~SessionRecorder();
    SessionRecorder(const SessionRecorder &) = delete;
    SessionRecorder &operator=(const SessionRecorder &) = delete;

    void lineReceived(const QString &line, const PortSettingsRecord &settings);
    // Records a change only: the same state again writes nothing.
    void portState(bool open, const PortSettingsRecord &settings);
    void linkBand(LinkBand band, const PortSettingsRecord &settings);

    bool recording() const { return fd_ >= 0; }
    const QString &path() const { return path_; }

private:
    SessionRecorder(int fd, QString path, Clock clock);
    void write(const recording::Event &event, const PortSettingsRecord &settings);
    void writeText(const std::string &text);
    void stop(const QString &why);

    int fd_;
    QString path_;
    Clock clock_;
    bool headerWritten_ = false;
    bool portOpen_ = false;
    std::optional<LinkBand> band_;
};

// The header a recording starts with, from the settings the menus hold.
recording::Header recordingHeader(const PortSettingsRecord &settings);
