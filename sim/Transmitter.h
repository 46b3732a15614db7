#pragma once

#include "FrameComposer.h"
#include "GearCycle.h"
#include "SimOptions.h"

#include <chrono>
#include <cstdint>
#include <optional>
#include <ostream>
#include <string>

namespace gearsim {

class SerialLine;

struct RunSummary {
    std::uint64_t framesSent = 0;    // frames of which at least one piece went out
    std::uint64_t framesSkipped = 0; // frames with no reader, or silent
    std::uint64_t piecesDropped = 0; // pieces left out because the line had not taken the last
    std::uint64_t cyclesCompleted = 0;
    std::string error;      // why the line was given up; empty after a normal end
    bool unplugged = false; // ended because the line was due to be pulled out
};

// The I/O loop: paces the frames of the gear cycle onto the line until the duration runs out, a
// stop signal arrives or the line breaks. Nothing is written while no one reads a pseudo-terminal
// or while silent, and a piece is never queued behind one the line has not yet taken, so a reader
// never gets stale lines.
class Transmitter {
public:
    using Clock = std::chrono::steady_clock;

    Transmitter(SerialLine &line, const SimOptions &options, std::ostream &log);
    // A line plugged back in goes on where the one before it left off: the same run's clock
    // (silence and duration count from the first start), the same gear cycle, the counts so far.
    Transmitter &resume(Clock::time_point runStart, const GearCycle &cycle,
                        const RunSummary &sofar);
    // Ends the run, as unplugged, at this second of it.
    Transmitter &unplugAt(std::optional<double> seconds);
    RunSummary run();
    const GearCycle &cycle() const { return cycle_; }
    Clock::time_point runStart() const { return start_; }

private:
    bool waitUntil(Clock::time_point deadline);
    void waitOnLine(std::chrono::nanoseconds timeout);
    bool offer(const std::string &piece);
    bool readerReady();
    void readerGone();
    void flushPending();
    void noteSilence(bool silent);
    double elapsedSeconds() const;
    void echo(const std::string &piece);

    SerialLine &line_;
    const SimOptions &options_;
    std::ostream &log_;
    GearCycle cycle_;
    FrameComposer composer_;
    Clock::time_point start_ = Clock::now();
    std::optional<double> unplugAt_;
    std::string pending_;
    bool readerPresent_ = false;
    bool silent_ = false;
    RunSummary summary_;
};

} // namespace gearsim
