#include "link/StatusDecoder.h"

#include <QRegularExpression>

#include <limits>

namespace {

// A flag position is on only when it holds exactly '1'; positions count from 1 and a position
// beyond the end of the line reads as off.
bool flagAt(const QString &line, int position) {
    const int index = position - 1;
    return index < line.size() && line.at(index) == QLatin1Char('1');
}

// Reads `count` flags starting at `firstPosition` into bits[firstIndex ...].
template <std::size_t N>
void readFlags(const QString &line, int firstPosition, std::array<bool, N> &bits, int firstIndex,
               int count) {
    for (int i = 0; i < count; ++i)
        bits[firstIndex + i] = flagAt(line, firstPosition + i);
}

void decodeConfiguration(const QString &line, ConfigFlags &flags) {
    flags.C0 = flagAt(line, 3);
    flags.C1 = flagAt(line, 4);
    flags.C73 = flagAt(line, 5);
    flags.C121 = flagAt(line, 6);
    flags.C122 = flagAt(line, 7);
}

// X0-X7 at 3..10, a separator at 11, X100-X107 at 12..19, a separator at 20, X110-X111 at 21..22.
void decodeInputs(const QString &line, std::array<bool, kStatusBitCount> &inputs) {
    readFlags(line, 3, inputs, 0, 8);
    readFlags(line, 12, inputs, 8, 8);
    readFlags(line, 21, inputs, 16, 2);
}

void lowerSilenceCount(MonitorState &state) {
    if (state.LinkSilenceCount > std::numeric_limits<int16_t>::min())
        --state.LinkSilenceCount;
}

} // namespace

QString cleanDelivery(const QVariant &data) {
    QString text = data.toString();
    text.remove(QLatin1Char('\n'));
    text.remove(QLatin1Char('\r'));
    return text;
}

QString formatCycleCount(const QString &text, const QLocale &locale) {
    static const QRegularExpression wholeNumber(QStringLiteral("^[+-]?[0-9]+$"));
    if (!wholeNumber.match(text).hasMatch())
        return text;
    bool ok = false;
    const qlonglong value = text.toLongLong(&ok);
    return ok ? locale.toString(value) : text;
}

RecordKind recordKind(const QString &line) {
    if (line.size() < 2 || line.at(1) != QLatin1Char(':'))
        return RecordKind::Other;
    switch (line.at(0).unicode()) {
    case 'V':
        return RecordKind::Version;
    case 'C':
        return RecordKind::CycleCount;
    case 'F':
        return RecordKind::Configuration;
    case 'O':
        return RecordKind::Outputs;
    case 'I':
        return RecordKind::Inputs;
    default:
        return RecordKind::Other;
    }
}

bool isShortRecord(const QString &line) {
    // The position of each kind's last flag: F C0-C122 at 3..7, O Y0-Y5 at 3..8, I up to X111.
    switch (recordKind(line)) {
    case RecordKind::Configuration:
        return line.size() < 7;
    case RecordKind::Outputs:
        return line.size() < 2 + kOutputCount;
    case RecordKind::Inputs:
        return line.size() < 22;
    default:
        return false;
    }
}

LabelUpdate decodeStatusLine(const QString &line, MonitorState &state, const QLocale &locale) {
    LabelUpdate update;
    switch (recordKind(line)) {
    case RecordKind::Version:
        update.firmwareVersion = line.mid(2);
        break;
    case RecordKind::CycleCount:
        update.cycleCount = formatCycleCount(line.mid(2), locale);
        break;
    case RecordKind::Configuration:
        decodeConfiguration(line, state.ConfigFlags);
        break;
    case RecordKind::Outputs:
        readFlags(line, 3, state.OutputBits, 0, kOutputCount);
        break;
    case RecordKind::Inputs:
        decodeInputs(line, state.InputBits);
        break;
    case RecordKind::Other:
        break;
    }
    lowerSilenceCount(state);
    return update;
}
