#include "link/PortSetup.h"

namespace {

int16_t codeOf(const QString &text, std::initializer_list<std::pair<const char *, int16_t>> codes,
               int16_t fallback) {
    for (const auto &[name, code] : codes)
        if (text == QLatin1String(name))
            return code;
    return fallback;
}

} // namespace

double numericValue(const QString &text) {
    int i = 0;
    while (i < text.size() && (text.at(i) == QLatin1Char(' ') || text.at(i) == QLatin1Char('\t')))
        ++i;
    const int start = i;
    if (i < text.size() && (text.at(i) == QLatin1Char('+') || text.at(i) == QLatin1Char('-')))
        ++i;
    bool point = false;
    while (i < text.size()) {
        const QChar c = text.at(i);
        if (c == QLatin1Char('.') && !point)
            point = true;
        else if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            break;
        ++i;
    }
    bool ok = false;
    const double value = text.mid(start, i - start).toDouble(&ok);
    return ok ? value : 0.0;
}

double portNumberOf(const QString &name) {
    return numericValue(name.mid(3));
}

int16_t parityCode(const QString &parity) {
    return codeOf(parity, {{"None", 0}, {"Odd", 1}, {"Even", 2}, {"Mark", 3}, {"Space", 4}}, 0);
}

int16_t stopBitsCode(const QString &stopBits) {
    return codeOf(stopBits, {{"1", 0}, {"1.5", 1}, {"2", 2}}, 0);
}

int16_t flowControlCode(const QString &flow) {
    return codeOf(flow, {{"None", 0}, {"RTS/CTS", 1}, {"DSR/DTR", 2}, {"Xon/Xoff", 4}}, 0);
}

int16_t dataBitsOf(const QString &dataLength) {
    return codeOf(dataLength, {{"7", 7}, {"8", 8}}, 8);
}

PortParameters portParameters(const PortSettingsRecord &s) {
    return {portNumberOf(s.Name),     numericValue(s.Speed),          parityCode(s.Parity),
            stopBitsCode(s.StopBits), flowControlCode(s.FlowControl), dataBitsOf(s.DataLength)};
}
