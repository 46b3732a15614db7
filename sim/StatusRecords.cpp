#include "StatusRecords.h"

namespace gearsim {

namespace {

char flag(bool on) {
    return on ? '1' : '0';
}

// Appends flags [first, first + count) of `bits`.
template <std::size_t N>
void appendFlags(std::string &record, const std::array<bool, N> &bits, std::size_t first,
                 std::size_t count) {
    for (std::size_t i = first; i < first + count; ++i)
        record += flag(bits[i]);
}

} // namespace

std::optional<ConfigFlags> parseConfigFlags(std::string_view text) {
    if (text.size() != 5)
        return std::nullopt;
    std::array<bool, 5> bits{};
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '0' && text[i] != '1')
            return std::nullopt;
        bits[i] = text[i] == '1';
    }
    return ConfigFlags{bits[0], bits[1], bits[2], bits[3], bits[4]};
}

std::string versionRecord(std::string_view text) {
    std::string record = "V:";
    for (char c : text) {
        if (c != '\r' && c != '\n')
            record += c;
    }
    return record;
}

std::string countRecord(std::uint64_t count) {
    return "C:" + std::to_string(count);
}

std::string configRecord(const ConfigFlags &flags) {
    std::string record = "F:";
    for (bool on : {flags.c0, flags.c1, flags.c73, flags.c121, flags.c122})
        record += flag(on);
    return record;
}

std::string outputRecord(const OutputBits &outputs) {
    std::string record = "O:";
    appendFlags(record, outputs, 0, OutputCount);
    return record;
}

// Three groups, X0..X7, X100..X107 and X110..X111, separated by one space each.
std::string inputRecord(const InputBits &inputs) {
    std::string record = "I:";
    appendFlags(record, inputs, X0_RightDownLight, 8);
    record += ' ';
    appendFlags(record, inputs, X100_UpPressureSwitch, 8);
    record += ' ';
    appendFlags(record, inputs, X110_AlarmMute, 2);
    return record;
}

} // namespace gearsim
