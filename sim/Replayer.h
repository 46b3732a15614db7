#pragma once

#include "link/Recording.h"

#include <chrono>
#include <cstdint>
#include <optional>
#include <ostream>
#include <string>

namespace gearsim {

class SerialLine;

struct ReplaySummary {
    std::uint64_t linesSent = 0;
    std::uint64_t linesDropped = 0; // while no one read the pseudo-terminal
    std::string error;              // why the line was given up; empty after a normal end
};

// The latest an event may be due, counted from the first: the steady clock counts nanoseconds
// since boot in 64 bits, and half of its range (about 146 years) is left for the time since boot.
inline constexpr std::chrono::nanoseconds kLatestReplayOffset{std::int64_t(1) << 62};

// When an event at `ms` is due, counted from the first event's `firstMs` and divided by
// `speed`; nothing when that is later than kLatestReplayOffset.
std::optional<std::chrono::nanoseconds> replayOffset(std::int64_t firstMs, std::int64_t ms,
                                                     double speed);
std::optional<std::chrono::nanoseconds> replayOffset(const recording::Recording &recorded,
                                                     std::size_t index, double speed);

// Reads the events that `reader` still holds and gives the first line that makes them
// unreplayable at `speed`: a damaged line, or a time due too late. Holds one line at a time.
std::optional<recording::ParseError> firstUnreplayable(recording::Reader &reader, double speed);

// The first event that cannot be replayed at `speed` because it is due too late, as a damaged
// file's line (the header is line 1, each event a line after it); nothing when all can.
std::optional<recording::ParseError> unreplayableTime(const recording::Recording &recorded,
                                                      double speed);

// Sends the received lines of a recording, each followed by CR LF, with their recorded timing
// scaled by `speed`, silences included, reading the events one at a time as they fall due. On a
// pseudo-terminal it waits for a reader before the first line; a line due while no one reads is
// dropped, as the controller's would be. A damaged line or a time too late ends the replay there.
class Replayer {
public:
    Replayer(SerialLine &line, recording::Reader &events, double speed, std::ostream &log);
    ReplaySummary run();

private:
    using Clock = std::chrono::steady_clock;

    bool waitForReader();
    bool sleepUntil(Clock::time_point deadline);
    bool send(const std::string &bytes);
    void replayEvents(Clock::time_point start);

    SerialLine &line_;
    recording::Reader &events_;
    double speed_;
    std::ostream &log_;
    ReplaySummary summary_;
};

} // namespace gearsim
