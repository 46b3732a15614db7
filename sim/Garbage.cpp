#include "Garbage.h"

#include "StatusRecords.h"

#include <array>
#include <string_view>

namespace gearsim {

GarbageMaker::GarbageMaker(std::uint32_t seed) : random_(seed) {}

std::size_t GarbageMaker::pick(std::size_t count) {
    return std::uniform_int_distribution<std::size_t>(0, count - 1)(random_);
}

std::string GarbageMaker::next() {
    const GarbageKind kind = next_;
    next_ = static_cast<GarbageKind>((static_cast<int>(kind) + 1) % 4);
    switch (kind) {
    case GarbageKind::UnknownPrefix:
        return unknownPrefix();
    case GarbageKind::ShortRecord:
        return shortRecord();
    case GarbageKind::NoiseBytes:
        return noiseBytes();
    case GarbageKind::OverlongWithoutCr:
        return overlong();
    }
    return {};
}

// Prefixes the monitor must not take for a record: other letters, lower case, no colon, empty.
std::string GarbageMaker::unknownPrefix() {
    static constexpr std::array<std::string_view, 6> lines = {
        "X:10101010", "i:11111111 11111111 11", "v:0.0.0", "I;10000000 00000000 00", "", "?"};
    return std::string(lines[pick(lines.size())]) + std::string(kLineEnd);
}

// Records cut short, as after a dropped byte or a reset half way through a line.
std::string GarbageMaker::shortRecord() {
    static constexpr std::array<std::string_view, 6> lines = {
        "I:1010", "O:1", "F:", "I:", "C:", "V"};
    return std::string(lines[pick(lines.size())]) + std::string(kLineEnd);
}

// Line noise: any byte but CR and LF, so the noise stays one line of its own.
std::string GarbageMaker::noiseBytes() {
    std::string noise;
    const std::size_t length = 1 + pick(16);
    while (noise.size() < length) {
        const char byte = static_cast<char>(pick(256));
        if (byte != '\r' && byte != '\n')
            noise += byte;
    }
    return noise + std::string(kLineEnd);
}

std::string GarbageMaker::overlong() {
    std::string text;
    const std::size_t length = kOverlongMinimum + pick(200);
    while (text.size() < length)
        text += static_cast<char>('!' + pick(94)); // printable ASCII
    return text;
}

} // namespace gearsim
