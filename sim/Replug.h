#pragma once

#include <optional>

namespace gearsim {

// A USB adapter pulled out and plugged back, over and over: the line is there for `after`
// seconds, then gone (its pseudo-terminal closed, its comN link removed) for `gone` seconds, then
// back on a new pseudo-terminal under the same link.
struct Replug {
    std::optional<double> after;
    double gone = 0;

    bool enabled() const { return after.has_value(); }
    // Seconds of the run, counted from its start, at which the line plugged in at `pluggedAt`
    // goes; nothing when it never does.
    std::optional<double> unplugAt(double pluggedAt) const;
};

} // namespace gearsim
