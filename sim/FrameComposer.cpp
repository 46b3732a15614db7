#include "FrameComposer.h"

namespace gearsim {

namespace {

std::string line(std::string record) {
    return record + std::string(kLineEnd);
}

} // namespace

FrameComposer::FrameComposer(std::string firmwareVersion, bool withGarbage,
                             std::uint32_t garbageSeed)
    : firmwareVersion_(std::move(firmwareVersion)) {
    if (withGarbage)
        garbage_.emplace(garbageSeed);
}

std::vector<std::string> FrameComposer::compose(const GearCycle &cycle) {
    std::vector<std::string> pieces = {
        line(versionRecord(firmwareVersion_)), line(countRecord(cycle.cycleCount())),
        line(configRecord(cycle.config())),    line(outputRecord(cycle.outputs())),
        line(inputRecord(cycle.inputs())),
    };
    if (garbage_) {
        const auto place = static_cast<std::ptrdiff_t>(frameNumber_ % (pieces.size() + 1));
        pieces.insert(pieces.begin() + place, garbage_->next());
    }
    ++frameNumber_;
    return pieces;
}

} // namespace gearsim
