#include "Transmitter.h"

#include "SerialLine.h"
#include "StopSignals.h"

#include <cstdio>
#include <poll.h>

namespace gearsim {

namespace {

std::chrono::microseconds micros(std::int64_t us) {
    return std::chrono::microseconds(us);
}

timespec pollTimeout(std::chrono::nanoseconds span) {
    const auto secs = std::chrono::duration_cast<std::chrono::seconds>(span);
    return {static_cast<time_t>(secs.count()), static_cast<long>((span - secs).count())};
}

} // namespace

Transmitter::Transmitter(SerialLine &line, const SimOptions &options, std::ostream &log)
    : line_(line), options_(options), log_(log),
      cycle_(options.config, options.startCount, options.legs),
      composer_(options.firmwareVersion, options.garbage) {}

Transmitter &Transmitter::resume(Clock::time_point runStart, const GearCycle &cycle,
                                 const RunSummary &sofar) {
    start_ = runStart;
    cycle_ = cycle;
    summary_ = sofar;
    summary_.unplugged = false;
    return *this;
}

Transmitter &Transmitter::unplugAt(std::optional<double> seconds) {
    unplugAt_ = seconds;
    return *this;
}

RunSummary Transmitter::run() {
    Clock::time_point frameStart = Clock::now();
    while (summary_.error.empty()) {
        const std::vector<std::string> pieces = composer_.compose(cycle_);
        const FramePlan plan = planFrame(pieces, options_.pace);
        bool sentAny = false;
        for (std::size_t i = 0; i < pieces.size(); ++i) {
            if (!waitUntil(frameStart + micros(plan.offsetsUs[i])) ||
                options_.timeline.finishedAt(elapsedSeconds()))
                return summary_;
            if (unplugAt_ && elapsedSeconds() >= *unplugAt_) {
                summary_.unplugged = true;
                return summary_;
            }
            sentAny = offer(pieces[i]) || sentAny;
        }
        ++(sentAny ? summary_.framesSent : summary_.framesSkipped);
        cycle_.advance();
        summary_.cyclesCompleted = cycle_.cycleCount() - options_.startCount;
        frameStart += micros(plan.lengthUs);
        // After a suspension start afresh rather than send the missed frames in a burst.
        if (Clock::now() > frameStart + micros(plan.lengthUs))
            frameStart = Clock::now();
    }
    return summary_;
}

double Transmitter::elapsedSeconds() const {
    return std::chrono::duration<double>(Clock::now() - start_).count();
}

// Sleeps until the deadline while keeping the line moving: finishes a piece the line had not
// fully taken and drops what the far end sends. False when asked to stop or the line broke.
bool Transmitter::waitUntil(Clock::time_point deadline) {
    while (!stopRequested() && summary_.error.empty()) {
        const auto now = Clock::now();
        if (now >= deadline)
            return true;
        waitOnLine(deadline - now);
    }
    return false;
}

void Transmitter::waitOnLine(std::chrono::nanoseconds timeout) {
    const timespec span = pollTimeout(timeout);
    pollfd polled{line_.fd(), static_cast<short>(POLLIN | (pending_.empty() ? 0 : POLLOUT)), 0};
    // A pseudo-terminal without a reader reports a hang-up at once on every poll; it is not
    // watched then, or the wait would spin.
    const bool watchLine = readerPresent_ || !line_.isPseudoTerminal();
    if (ppoll(watchLine ? &polled : nullptr, watchLine ? 1 : 0, &span, waitSignalMask()) <= 0)
        return;
    switch (line_.stateFrom(polled.revents)) {
    case LineState::Broken:
        summary_.error = "the line to " + line_.path() + " broke";
        return;
    case LineState::NoReader:
        readerGone();
        return;
    case LineState::ReaderPresent:
        if (polled.revents & POLLIN)
            line_.state();
        if (polled.revents & POLLOUT)
            flushPending();
        return;
    }
}

// Sends one piece if someone reads the line and it has taken everything sent before.
bool Transmitter::offer(const std::string &piece) {
    noteSilence(options_.timeline.silentAt(elapsedSeconds()));
    if (silent_ || !readerReady())
        return false;
    flushPending();
    if (!pending_.empty()) {
        ++summary_.piecesDropped;
        return false;
    }
    pending_ = piece;
    flushPending();
    echo(piece);
    return true;
}

bool Transmitter::readerReady() {
    switch (line_.state()) {
    case LineState::Broken:
        summary_.error = "the line to " + line_.path() + " broke";
        return false;
    case LineState::NoReader:
        if (readerPresent_)
            readerGone();
        return false;
    case LineState::ReaderPresent:
        if (!readerPresent_ && line_.isPseudoTerminal())
            log_ << "gear-sim: reader connected" << std::endl;
        readerPresent_ = true;
        return true;
    }
    return false;
}

// What the reader left unread would reach the next one as stale lines: it is dropped now.
void Transmitter::readerGone() {
    readerPresent_ = false;
    pending_.clear();
    line_.discardUnread();
    log_ << "gear-sim: reader gone, waiting for one" << std::endl;
}

void Transmitter::flushPending() {
    if (pending_.empty())
        return;
    const long taken = line_.writeSome(pending_);
    if (taken < 0)
        summary_.error = "writing to " + line_.path() + " failed";
    else
        pending_.erase(0, static_cast<std::size_t>(taken));
}

void Transmitter::noteSilence(bool silent) {
    if (silent != silent_)
        log_ << (silent ? "gear-sim: falling silent" : "gear-sim: sending again") << std::endl;
    silent_ = silent;
}

void Transmitter::echo(const std::string &piece) {
    if (!options_.verbose)
        return;
    std::string shown;
    for (unsigned char c : piece) {
        if (c == '\r' || c == '\n')
            continue;
        if (c >= 0x20 && c < 0x7f) {
            shown += static_cast<char>(c);
        } else {
            char hex[5];
            std::snprintf(hex, sizeof hex, "\\x%02x", c);
            shown += hex;
        }
    }
    log_ << "> " << shown << '\n';
}

} // namespace gearsim
