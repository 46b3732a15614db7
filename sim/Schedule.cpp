#include "Schedule.h"

namespace gearsim {

std::int64_t lineTimeUs(std::size_t bytes, int bitsPerSecond) {
    const auto bits = static_cast<std::int64_t>(bytes) * 10;
    return bitsPerSecond > 0 ? (bits * 1'000'000 + bitsPerSecond - 1) / bitsPerSecond : 0;
}

FramePlan planFrame(const std::vector<std::string> &pieces, const Pace &pace) {
    FramePlan plan;
    if (pace.fast) {
        for (const std::string &piece : pieces) {
            plan.offsetsUs.push_back(plan.lengthUs);
            plan.lengthUs += lineTimeUs(piece.size(), pace.bitsPerSecond);
        }
        return plan;
    }
    plan.lengthUs = static_cast<std::int64_t>(pace.frameMs) * 1000;
    const auto count = static_cast<std::int64_t>(pieces.size());
    for (std::int64_t i = 0; i < count; ++i)
        plan.offsetsUs.push_back(plan.lengthUs * i / count);
    return plan;
}

bool Timeline::silentAt(double seconds) const {
    return silentAfter && seconds >= *silentAfter && seconds < *silentAfter + silentFor;
}

bool Timeline::finishedAt(double seconds) const {
    return duration && seconds >= *duration;
}

} // namespace gearsim
