#pragma once

#include "Garbage.h"
#include "GearCycle.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace gearsim {

// Turns the cycle's state into the pieces of one frame, in the order they go out: version, count,
// configuration, outputs, inputs, each a whole line. With garbage on, one malformed piece goes in
// as well, at a place that moves from frame to frame.
class FrameComposer {
public:
    explicit FrameComposer(std::string firmwareVersion, bool withGarbage = false,
                           std::uint32_t garbageSeed = 1);

    std::vector<std::string> compose(const GearCycle &cycle);

private:
    std::string firmwareVersion_;
    std::optional<GarbageMaker> garbage_;
    std::uint64_t frameNumber_ = 0;
};

} // namespace gearsim
