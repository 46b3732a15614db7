#include "Timeline.h"

#include "link/MonitorState.h"
#include "link/StatusDecoder.h"
#include "ui/ControlTable.h"

#include <QLocale>
#include <QRegularExpression>

#include <array>

namespace {

QString onOff(bool on) {
    return on ? QStringLiteral("on") : QStringLiteral("off");
}

QString bandWord(recording::EventKind kind) {
    return QString::fromLatin1(recording::kindWord(kind));
}

struct Decoded {
    MonitorState state;
    QString firmware;
    QString cycles;
};

void compareBits(const std::array<bool, kStatusBitCount> &before,
                 const std::array<bool, kStatusBitCount> &after, int count, QString (*address)(int),
                 std::int64_t ms, std::vector<Change> &out) {
    for (int i = 0; i < count; ++i)
        if (before[i] != after[i])
            out.push_back(
                {ms, address(i), meaningOf(address(i)), onOff(before[i]), onOff(after[i])});
}

void compareConfig(const ConfigFlags &before, const ConfigFlags &after, std::int64_t ms,
                   std::vector<Change> &out) {
    const std::array<std::pair<const char *, bool ConfigFlags::*>, 5> relays{{
        {"C0", &ConfigFlags::C0},
        {"C1", &ConfigFlags::C1},
        {"C73", &ConfigFlags::C73},
        {"C121", &ConfigFlags::C121},
        {"C122", &ConfigFlags::C122},
    }};
    for (const auto &[name, flag] : relays)
        if (before.*flag != after.*flag) {
            const QString address = QString::fromLatin1(name);
            out.push_back(
                {ms, address, meaningOf(address), onOff(before.*flag), onOff(after.*flag)});
        }
}

// A text from the recording as it may be printed: printable ASCII, every other byte and the
// backslash escaped as the recording writes them, so no control byte reaches a terminal and no
// line feed starts a line of its own. A null text stays null: it means "nothing before".
QString printable(const QString &latin1) {
    if (latin1.isNull())
        return latin1;
    return QString::fromStdString(recording::escapeBytes(latin1.toLatin1().toStdString()));
}

void decodeLine(const recording::Event &event, Decoded &now, std::vector<Change> &out) {
    const QString line = QString::fromLatin1(event.bytes.data(), qsizetype(event.bytes.size()));
    if (recordKind(line) == RecordKind::Other) {
        out.push_back({event.ms, QString(), QStringLiteral("ignored line"), QString(),
                       QString::fromStdString(recording::escapeBytes(event.bytes))});
        return;
    }
    const MonitorState before = now.state;
    const LabelUpdate update = decodeStatusLine(line, now.state, QLocale::c());
    if (update.firmwareVersion && *update.firmwareVersion != now.firmware) {
        out.push_back({event.ms, QStringLiteral("V"), QStringLiteral("firmware version"),
                       printable(now.firmware), printable(*update.firmwareVersion)});
        now.firmware = *update.firmwareVersion;
    }
    if (update.cycleCount && *update.cycleCount != now.cycles) {
        out.push_back({event.ms, QStringLiteral("C"), QStringLiteral("gear cycle count"),
                       printable(now.cycles), printable(*update.cycleCount)});
        now.cycles = *update.cycleCount;
    }
    compareBits(before.InputBits, now.state.InputBits, kInputCount, inputAddress, event.ms, out);
    compareBits(before.OutputBits, now.state.OutputBits, kOutputCount, outputAddress, event.ms,
                out);
    compareConfig(before.ConfigFlags, now.state.ConfigFlags, event.ms, out);
}

} // namespace

QString inputAddress(int index) {
    // The record's groups: X0-X7, X100-X107, X110-X111.
    static constexpr int kGroupBase[] = {0, 100, 110};
    return QStringLiteral("X%1").arg(kGroupBase[index / 8] + index % 8);
}

QString outputAddress(int index) {
    return QStringLiteral("Y%1").arg(index);
}

QString meaningOf(const QString &address) {
    // A tooltip starts with its address, then " - ", " = " or a space.
    const QRegularExpression named(
        QStringLiteral("^%1(\\s*[-=]\\s*|\\s+)(.*)$").arg(QRegularExpression::escape(address)));
    QStringList meanings;
    for (const ControlDef &def : controlTable()) {
        if (!def.toolTip)
            continue;
        const auto match = named.match(QString::fromLatin1(def.toolTip));
        if (match.hasMatch() && !meanings.contains(match.captured(2).simplified()))
            meanings << match.captured(2).simplified();
    }
    return meanings.join(QStringLiteral(" | "));
}

std::vector<Change> timelineOf(const recording::Recording &recorded) {
    std::vector<Change> out;
    Decoded now;
    QString link = QStringLiteral("-");
    for (const recording::Event &event : recorded.events) {
        switch (event.kind) {
        case recording::EventKind::Line:
            decodeLine(event, now, out);
            break;
        case recording::EventKind::PortOpened:
        case recording::EventKind::PortClosed:
            out.push_back({event.ms, QString(), QStringLiteral("port"), QString(),
                           event.kind == recording::EventKind::PortOpened
                               ? QStringLiteral("open")
                               : QStringLiteral("closed")});
            break;
        case recording::EventKind::LinkLive:
        case recording::EventKind::LinkStale:
        case recording::EventKind::LinkFailed:
            out.push_back(
                {event.ms, QString(), QStringLiteral("link"), link, bandWord(event.kind)});
            link = bandWord(event.kind);
            break;
        }
    }
    return out;
}

namespace {
// Seconds with three decimals, worked out on the whole milliseconds so that even the latest time
// a recording may hold prints exactly. A recording's times are never negative.
QString secondsText(std::int64_t ms) {
    return QStringLiteral("%1.%2").arg(ms / 1000).arg(ms % 1000, 3, 10, QLatin1Char('0'));
}
} // namespace

QString formatChange(const Change &c) {
    const QString time = secondsText(c.ms);
    const QString what = c.address.isEmpty() ? c.meaning : c.address + ' ' + c.meaning;
    if (c.from.isNull())
        return QStringLiteral("%1 %2: %3").arg(time, what, c.to);
    return QStringLiteral("%1 %2: %3 -> %4").arg(time, what, c.from, c.to);
}

namespace {

// A spreadsheet reads a cell that starts with one of these as a formula, and a formula can
// compute, link or run something.
bool startsFormula(const QString &text) {
    static const QString starters = QStringLiteral("=+-@\t\r");
    return !text.isEmpty() && starters.contains(text.front());
}

// RFC 4180 quoting; a field that would start a formula gets a ' first, which spreadsheets show
// as text. A lone "-" (the link's band before the first) cannot compute anything and stays.
QString csvField(const QString &text) {
    const bool formula = startsFormula(text) && text != QLatin1String("-");
    static const QRegularExpression special(QStringLiteral("[,\"\r\n]"));
    if (!formula && !text.contains(special))
        return text;
    QString quoted = text;
    quoted.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + (formula ? QStringLiteral("'") : QString()) + quoted +
           QLatin1Char('"');
}

} // namespace

QString csvHeader() {
    return QStringLiteral("time_s,address,meaning,from,to");
}

QString csvRow(const Change &c) {
    // The time is the program's own number and never negative (a recording's times are not),
    // so it stays a number in the spreadsheet.
    return QStringList{secondsText(c.ms), csvField(c.address), csvField(c.meaning),
                       csvField(c.from), csvField(c.to)}
        .join(QLatin1Char(','));
}
