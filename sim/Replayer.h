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

// When each event is due, counted from the first event of the recording and divided by `speed`;
// nothing when that is later than kLatestReplayOffset.
std::optional<std::chrono::nanoseconds> replayOffset(const recording::Recording &recorded,
                                                     std::size_t index, double speed);

// The first event that cannot be replayed at `speed` because it is due too late, as a damaged
// file's line (the header is line 1, each event a line after it); nothing when all can.
std::optional<recording::ParseError> unreplayableTime(const recording::Recording &recorded,
                                                      double speed);

// Sends the received lines of a recording, each followed by CR LF, with their recorded timing
// scaled by `speed`, silences included. On a pseudo-terminal it waits for a reader before the
// first line; a line due while no one reads is dropped, as the controller's would be.
class Replayer {
public:
    Replayer(SerialLine &line, const recording::Recording &recorded, double speed,
             std::ostream &log);
    ReplaySummary run();

private:
    using Clock = std::chrono::steady_clock;

    bool waitForReader();
    bool sleepUntil(Clock::time_point deadline);
    Clock::time_point dueAt(Clock::time_point start, std::size_t index) const;
    bool send(const std::string &bytes);

    SerialLine &line_;
    const recording::Recording &recorded_;
    double speed_;
    std::ostream &log_;
    ReplaySummary summary_;
};

} // namespace gearsim
