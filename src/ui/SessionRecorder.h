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
//
// A recording is only ever made as a new file, or into a FIFO that a program is reading: it never
// replaces or adds to a file that is there. A FIFO is written without blocking, so a reader that
// falls behind ends the recording, never holds up the window.
class SessionRecorder {
public:
    using Clock = std::function<std::int64_t()>; // milliseconds, monotonic

    struct Refusal {
        QString reason;         // for the user, e.g. "the file exists; ..."
        bool nameTaken = false; // something is already there under the name
    };

    // Creates the file and writes the header, with the settings known at the start; nullptr and
    // the reason when the file cannot be made or may not be written to.
    static std::unique_ptr<SessionRecorder> create(const QString &path, Refusal &refusal,
                                                   Clock clock = {},
                                                   const PortSettingsRecord &known = {});
    ~SessionRecorder();
    SessionRecorder(const SessionRecorder &) = delete;
    SessionRecorder &operator=(const SessionRecorder &) = delete;

    void lineReceived(const QString &line);
    // Records a change only: the same state again writes nothing. An opening states the port and
    // its settings when they differ from those the recording stated last.
    void portState(bool open, const PortSettingsRecord &settings);
    void linkBand(LinkBand band);
    // Ends the recording: a port still open is recorded as closed, and nothing is written after.
    void end();

    bool recording() const { return fd_ >= 0; }
    const QString &path() const { return path_; }

private:
    SessionRecorder(int fd, bool isFifo, QString path, Clock clock);
    void write(const recording::Event &event);
    void writeText(const std::string &text);
    void stop(const QString &why);

    int fd_;
    bool isFifo_;
    QString path_;
    Clock clock_;
    recording::Header stated_; // the port and settings the recording stated last
    bool portOpen_ = false;
    std::optional<LinkBand> band_;
};

// The header a recording starts with, from the settings the menus hold.
recording::Header recordingHeader(const PortSettingsRecord &settings);
