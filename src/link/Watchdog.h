#pragma once

#include <cstdint>

// The link watchdog counts ticks without a received line, less received lines. After the tick's
// increment: 6 or less is live, 7 to 10 stale (the panel keeps its last picture), 11 or more
// failed, and a failed count is set back to 10 so it never runs away.
enum class LinkBand { Live, Stale, Failed };

struct WatchdogStep {
    LinkBand band;
    int16_t count; // LinkSilenceCount after this tick
};

inline constexpr int16_t kLiveCeiling = 6;

// One tick: add one, find the band, clamp (failed back to 10, a negative live count up to 0).
WatchdogStep watchdogTick(int16_t count);
