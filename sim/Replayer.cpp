#include "Replayer.h"

#include "SerialLine.h"
#include "StopSignals.h"

#include <poll.h>

namespace gearsim {

namespace {

constexpr auto kPollStep = std::chrono::milliseconds(50);
// Closing a pseudo-terminal drops what its reader has not read yet: the reader gets this long to
// take the last lines before the replay ends.
constexpr auto kReaderGrace = std::chrono::seconds(1);

timespec spanOf(std::chrono::nanoseconds span) {
    const auto secs = std::chrono::duration_cast<std::chrono::seconds>(span);
    return {static_cast<time_t>(secs.count()), static_cast<long>((span - secs).count())};
}

// Waits for the line to take more bytes, a signal or the step, whichever comes first.
void waitOn(pollfd *polled, std::chrono::nanoseconds span) {
    const timespec t = spanOf(span);
    ppoll(polled, polled ? 1 : 0, &t, waitSignalMask());
}

} // namespace

std::optional<std::chrono::nanoseconds> replayOffset(std::int64_t firstMs, std::int64_t ms,
                                                     double speed) {
    // Both times are at least 0, so the difference cannot overflow; the scaling is done in
    // double, where a huge value is only large, and checked before it becomes a count.
    const double ns = double(ms - firstMs) * 1e6 / speed;
    if (!(ns <= double(kLatestReplayOffset.count())))
        return std::nullopt;
    return std::chrono::nanoseconds(static_cast<std::int64_t>(ns));
}

std::optional<std::chrono::nanoseconds> replayOffset(const recording::Recording &recorded,
                                                     std::size_t index, double speed) {
    return replayOffset(recorded.events.front().ms, recorded.events.at(index).ms, speed);
}

namespace {

std::string tooLateMessage() {
    const auto years = int(kLatestReplayOffset.count() / 1e9 / (365.25 * 24 * 3600));
    return "a time too late to replay: due more than " + std::to_string(years) +
           " years after the first event";
}

} // namespace

std::optional<recording::ParseError> unreplayableTime(const recording::Recording &recorded,
                                                      double speed) {
    for (std::size_t i = 0; i < recorded.events.size(); ++i)
        if (!replayOffset(recorded, i, speed))
            return recording::ParseError{long(i) + 2, tooLateMessage()};
    return std::nullopt;
}

std::optional<recording::ParseError> firstUnreplayable(recording::Reader &reader, double speed) {
    std::optional<std::int64_t> firstMs;
    for (long line = 2;; ++line) {
        auto step = reader.next();
        if (auto *error = std::get_if<recording::ParseError>(&step))
            return *error;
        const auto *event = std::get_if<recording::Event>(&step);
        if (!event)
            return std::nullopt;
        firstMs = firstMs.value_or(event->ms);
        if (!replayOffset(*firstMs, event->ms, speed))
            return recording::ParseError{line, tooLateMessage()};
    }
}

Replayer::Replayer(SerialLine &line, recording::Reader &events, double speed, std::ostream &log)
    : line_(line), events_(events), speed_(speed), log_(log) {}

ReplaySummary Replayer::run() {
    if (!waitForReader())
        return summary_;
    replayEvents(Clock::now());
    return summary_;
}

void Replayer::replayEvents(Clock::time_point start) {
    std::optional<std::int64_t> firstMs;
    Clock::time_point lastDue = start;
    for (long line = 2; summary_.error.empty(); ++line) {
        auto step = events_.next();
        if (const auto *error = std::get_if<recording::ParseError>(&step)) {
            summary_.error = "line " + std::to_string(error->lineNumber) + ": " + error->message;
            break;
        }
        const auto *event = std::get_if<recording::Event>(&step);
        if (!event)
            break;
        firstMs = firstMs.value_or(event->ms);
        const auto offset = replayOffset(*firstMs, event->ms, speed_);
        if (!offset) {
            summary_.error = "line " + std::to_string(line) + ": " + tooLateMessage();
            break;
        }
        lastDue = start + *offset;
        if (event->kind != recording::EventKind::Line)
            continue;
        if (!sleepUntil(lastDue))
            return;
        if (!send(event->bytes))
            ++summary_.linesDropped;
        else
            ++summary_.linesSent;
    }
    // A silence at the end of the recording is part of it: the monitor sees the link fail. The
    // reader takes what was sent before a damaged line too.
    if (firstMs)
        sleepUntil(lastDue + kReaderGrace);
}

bool Replayer::waitForReader() {
    while (!stopRequested()) {
        switch (line_.state()) {
        case LineState::ReaderPresent:
            if (line_.isPseudoTerminal())
                log_ << "gear-sim: reader connected, replaying" << std::endl;
            return true;
        case LineState::Broken:
            summary_.error = "the line to " + line_.path() + " broke";
            return false;
        case LineState::NoReader:
            waitOn(nullptr, kPollStep);
            break;
        }
    }
    return false;
}

bool Replayer::sleepUntil(Clock::time_point deadline) {
    while (!stopRequested()) {
        const auto now = Clock::now();
        if (now >= deadline)
            return true;
        waitOn(nullptr, std::min<std::chrono::nanoseconds>(deadline - now, kPollStep));
        line_.state(); // drops what the far end sends, so nothing backs up
    }
    return false;
}

// Writes the whole line and its CR LF; false when no one reads or the line broke.
bool Replayer::send(const std::string &bytes) {
    const std::string piece = bytes + "\r\n";
    std::size_t done = 0;
    while (done < piece.size() && !stopRequested()) {
        switch (line_.state()) {
        case LineState::Broken:
            summary_.error = "the line to " + line_.path() + " broke";
            return false;
        case LineState::NoReader:
            line_.discardUnread();
            return false;
        case LineState::ReaderPresent:
            break;
        }
        const long taken = line_.writeSome(std::string_view(piece).substr(done));
        if (taken < 0) {
            summary_.error = "writing to " + line_.path() + " failed";
            return false;
        }
        done += static_cast<std::size_t>(taken);
        if (done < piece.size()) {
            pollfd polled{line_.fd(), POLLOUT, 0};
            waitOn(&polled, kPollStep);
        }
    }
    return done == piece.size();
}

} // namespace gearsim
