#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace gearsim {

// How frames are paced: a fixed frame period with the pieces spread evenly over it, or, when
// fast, back to back at the speed of the line.
struct Pace {
    int frameMs = 500;
    bool fast = false;
    int bitsPerSecond = 9600;
};

// When each piece of a frame is due, counted from the frame's start, and when the next frame
// starts; in microseconds.
struct FramePlan {
    std::vector<std::int64_t> offsetsUs;
    std::int64_t lengthUs = 0;
};

// The time that `bytes` take on the line: ten bits each (start, eight data, stop).
std::int64_t lineTimeUs(std::size_t bytes, int bitsPerSecond);

FramePlan planFrame(const std::vector<std::string> &pieces, const Pace &pace);

// When the simulator falls silent and when it ends, counted in seconds from its start.
struct Timeline {
    std::optional<double> silentAfter;
    double silentFor = 0;
    std::optional<double> duration;

    bool silentAt(double seconds) const;
    bool finishedAt(double seconds) const;
};

} // namespace gearsim
