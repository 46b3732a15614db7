// Any line the port can deliver, decoded into two opposite states: a line whose prefix is not a
// record changes no field, and a record rewrites all of its own group and nothing else.
#include "FuzzCheck.h"

#include "link/StatusDecoder.h"

#include <QLocale>

#include <algorithm>
#include <cstddef>
#include <cstdint>

namespace {

MonitorState filled(bool on, int16_t silence) {
    MonitorState s;
    s.InputBits.fill(on);
    s.OutputBits.fill(on);
    s.ConfigFlags = {on, on, on, on, on};
    s.LinkSilenceCount = silence;
    s.LastLine = QStringLiteral("before");
    return s;
}

bool sameConfig(const ConfigFlags &a, const ConfigFlags &b) {
    return a.C0 == b.C0 && a.C1 == b.C1 && a.C73 == b.C73 && a.C121 == b.C121 && a.C122 == b.C122;
}

template <std::size_t N>
bool sameRange(const std::array<bool, N> &a, const std::array<bool, N> &b, int from, int to) {
    return std::equal(a.begin() + from, a.begin() + to, b.begin() + from);
}

// Which group a line's prefix names.
enum class Group { None, Version, Cycles, Config, Outputs, Inputs };

Group groupOf(const QString &line) {
    const QStringView prefix = QStringView(line).left(2);
    if (prefix == u"V:")
        return Group::Version;
    if (prefix == u"C:")
        return Group::Cycles;
    if (prefix == u"F:")
        return Group::Config;
    if (prefix == u"O:")
        return Group::Outputs;
    if (prefix == u"I:")
        return Group::Inputs;
    return Group::None;
}

// `after` differs from `before` at most in the group's own fields.
void checkOnlyGroupChanged(Group group, const MonitorState &before, const MonitorState &after) {
    FUZZ_CHECK(after.LastLine == before.LastLine);
    FUZZ_CHECK(after.PortSettings.Name == before.PortSettings.Name);
    if (group != Group::Config)
        FUZZ_CHECK(sameConfig(after.ConfigFlags, before.ConfigFlags));
    const int outputsFrom = group == Group::Outputs ? kOutputCount : 0;
    FUZZ_CHECK(sameRange(after.OutputBits, before.OutputBits, outputsFrom, kStatusBitCount));
    const int inputsFrom = group == Group::Inputs ? kInputCount : 0;
    FUZZ_CHECK(sameRange(after.InputBits, before.InputBits, inputsFrom, kStatusBitCount));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    // Lines reach the decoder as Latin-1 text with CR and LF removed.
    const QString line =
        cleanDelivery(QString::fromLatin1(reinterpret_cast<const char *>(data), qsizetype(size)));
    const int16_t silence = size > 0 ? int16_t(data[0] * 257 - 32768) : 0;
    const Group group = groupOf(line);

    MonitorState off = filled(false, silence), on = filled(true, silence);
    const LabelUpdate fromOff = decodeStatusLine(line, off, QLocale::c());
    const LabelUpdate fromOn = decodeStatusLine(line, on, QLocale::c());

    // Every line counts as a sign of life, down to the counter's floor.
    const int16_t expectedSilence = silence == INT16_MIN ? silence : int16_t(silence - 1);
    FUZZ_CHECK(off.LinkSilenceCount == expectedSilence && on.LinkSilenceCount == expectedSilence);

    checkOnlyGroupChanged(group, filled(false, silence), off);
    checkOnlyGroupChanged(group, filled(true, silence), on);
    // A record's group comes out of the line alone: nothing of what was there before remains.
    if (group == Group::Config)
        FUZZ_CHECK(sameConfig(off.ConfigFlags, on.ConfigFlags));
    if (group == Group::Outputs)
        FUZZ_CHECK(sameRange(off.OutputBits, on.OutputBits, 0, kOutputCount));
    if (group == Group::Inputs)
        FUZZ_CHECK(sameRange(off.InputBits, on.InputBits, 0, kInputCount));

    FUZZ_CHECK(fromOff.firmwareVersion == fromOn.firmwareVersion);
    FUZZ_CHECK(fromOff.cycleCount == fromOn.cycleCount);
    FUZZ_CHECK(fromOff.firmwareVersion.has_value() == (group == Group::Version));
    FUZZ_CHECK(fromOff.cycleCount.has_value() == (group == Group::Cycles));
    if (group == Group::Version)
        FUZZ_CHECK(*fromOff.firmwareVersion == line.mid(2));
    return 0;
}
