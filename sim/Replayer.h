#pragma once

#include "link/Recording.h"

#include <chrono>
#include <cstdint>
#include <ostream>
#include <string>

namespace gearsim {

class SerialLine;

struct ReplaySummary {
    std::uint64_t linesSent = 0;
    std::uint64_t linesDropped = 0; // while no one read the pseudo-terminal
    std::string error;              // why the line was given up; empty after a normal end
};

// When each event is due, counted from the first event of the recording and divided by `speed`.
std::chrono::microseconds replayOffset(const recording::Recording &recorded, std::size_t index,
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
    bool send(const std::string &bytes);

    SerialLine &line_;
    const recording::Recording &recorded_;
    double speed_;
    std::ostream &log_;
    ReplaySummary summary_;
};

} // namespace gearsim
