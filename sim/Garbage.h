#pragma once

#include <cstdint>
#include <random>
#include <string>

namespace gearsim {

// The kinds of damaged line a real serial line produces, taken in turn so each shows up often.
enum class GarbageKind { UnknownPrefix, ShortRecord, NoiseBytes, OverlongWithoutCr };

// Makes malformed lines for robustness runs. Every piece but the overlong one ends with CR LF;
// the overlong one has no line end at all, so it runs into the record that follows it.
class GarbageMaker {
public:
    explicit GarbageMaker(std::uint32_t seed = 1);

    GarbageKind nextKind() const { return next_; }
    std::string next();

    static constexpr std::size_t kOverlongMinimum = 200;

private:
    std::string unknownPrefix();
    std::string shortRecord();
    std::string noiseBytes();
    std::string overlong();
    std::size_t pick(std::size_t count);

    std::mt19937 random_;
    GarbageKind next_ = GarbageKind::UnknownPrefix;
};

} // namespace gearsim
