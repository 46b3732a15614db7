#include "Timeline.h"

#include "link/StatusDecoder.h"

#include <QLocale>

#include <algorithm>

namespace {

// A text from the recording as it may be printed: printable ASCII, every other byte and the
// backslash escaped as the recording writes them, so no control byte reaches a terminal and no
// line feed starts a line of its own. A null text stays null: it means "nothing before".
QString printable(const QString &latin1) {
    if (latin1.isNull())
        return latin1;
    return QString::fromStdString(recording::escapeBytes(latin1.toLatin1().toStdString()));
}

constexpr std::array<std::pair<const char *, bool ConfigFlags::*>, 5> kRelayFlags{{
    {"C0", &ConfigFlags::C0},
    {"C1", &ConfigFlags::C1},
    {"C73", &ConfigFlags::C73},
    {"C121", &ConfigFlags::C121},
    {"C122", &ConfigFlags::C122},
}};

// One row for a bit: its meaning in its new state under the relays in force, and the legend's
// words for both states; a null `before` makes it a row of the start's block.
Change bitRow(std::int64_t ms, const QString &address, const ConfigFlags &relays,
              std::optional<bool> before, bool after, bool shortRecord) {
    return {ms,
            address,
            meaningOf(address, relays, after),
            before ? stateWord(address, *before) : QString(),
            stateWord(address, after),
            shortRecord};
}

} // namespace

void Timeline::add(const recording::Event &event, std::vector<Change> &out) {
    if (event.kind == recording::EventKind::Line) {
        addLine(event, out);
        return;
    }
    std::vector<Change> &to = startOpen_ ? held_ : out;
    switch (event.kind) {
    case recording::EventKind::PortOpened:
    case recording::EventKind::PortClosed:
        to.push_back({event.ms, QString(), QStringLiteral("port"), QString(),
                      event.kind == recording::EventKind::PortOpened ? QStringLiteral("open")
                                                                     : QStringLiteral("closed")});
        break;
    default: {
        const QString band = QString::fromLatin1(recording::kindWord(event.kind));
        to.push_back({event.ms, QString(), QStringLiteral("link"), link_, band});
        link_ = band;
    }
    }
}

void Timeline::addLine(const recording::Event &event, std::vector<Change> &out) {
    const QString line = QString::fromLatin1(event.bytes.data(), qsizetype(event.bytes.size()));
    const RecordKind record = recordKind(line);
    if (record == RecordKind::Other) {
        (startOpen_ ? held_ : out)
            .push_back({event.ms, QString(), QStringLiteral("ignored line"), QString(),
                        QString::fromStdString(recording::escapeBytes(event.bytes))});
        return;
    }
    const Kind kind = Kind(int(record)); // RecordKind lists V, C, F, O, I in this order
    const bool shortRecord = isShortRecord(line);
    // The start's block closes with the first frame complete, or when a record repeats.
    if (!startDone_ && seen_[kind].seen)
        closeStart(out);
    const MonitorState before = state_;
    const QString firmwareBefore = firmware_;
    const QString cyclesBefore = cycles_;
    const LabelUpdate update = decodeStatusLine(line, state_, QLocale::c());
    if (update.firmwareVersion)
        firmware_ = *update.firmwareVersion;
    if (update.cycleCount)
        cycles_ = *update.cycleCount;
    if (!seen_[kind].seen) {
        seen_[kind] = {true, event.ms, shortRecord};
        if (startDone_) {
            firstRows(kind, out);
            return;
        }
        startOpen_ = true;
        startOrder_.push_back(kind);
        if (startOrder_.size() == KindCount)
            closeStart(out);
        return;
    }
    if (kind == Version && firmware_ != firmwareBefore)
        out.push_back({event.ms, QStringLiteral("V"), QStringLiteral("firmware version"),
                       printable(firmwareBefore), printable(firmware_)});
    else if (kind == Count && cycles_ != cyclesBefore)
        out.push_back({event.ms, QStringLiteral("C"), QStringLiteral("gear cycle count"),
                       printable(cyclesBefore), printable(cycles_)});
    else
        changedRows(kind, before, event, shortRecord, out);
}

void Timeline::firstRows(Kind kind, std::vector<Change> &out) const {
    const Seen &seen = seen_[kind];
    const ConfigFlags &relays = state_.ConfigFlags;
    switch (kind) {
    case Version:
        out.push_back({seen.ms, QStringLiteral("V"), QStringLiteral("firmware version"), QString(),
                       printable(firmware_)});
        break;
    case Count:
        out.push_back({seen.ms, QStringLiteral("C"), QStringLiteral("gear cycle count"), QString(),
                       printable(cycles_)});
        break;
    case Relays:
        for (const auto &[name, flag] : kRelayFlags)
            out.push_back(bitRow(seen.ms, QLatin1String(name), relays, std::nullopt, relays.*flag,
                                 seen.shortRecord));
        break;
    case Outputs:
        for (int i = 0; i < kOutputCount; ++i)
            out.push_back(bitRow(seen.ms, outputAddress(i), relays, std::nullopt,
                                 state_.OutputBits[i], seen.shortRecord));
        break;
    case Inputs:
        for (int i = 0; i < kInputCount; ++i)
            out.push_back(bitRow(seen.ms, inputAddress(i), relays, std::nullopt,
                                 state_.InputBits[i], seen.shortRecord));
        break;
    case KindCount:
        break;
    }
}

void Timeline::changedRows(Kind kind, const MonitorState &before, const recording::Event &event,
                           bool shortRecord, std::vector<Change> &out) const {
    const ConfigFlags &relays = state_.ConfigFlags;
    if (kind == Relays)
        for (const auto &[name, flag] : kRelayFlags)
            if (before.ConfigFlags.*flag != relays.*flag)
                out.push_back(bitRow(event.ms, QLatin1String(name), relays,
                                     before.ConfigFlags.*flag, relays.*flag, shortRecord));
    if (kind == Outputs)
        for (int i = 0; i < kOutputCount; ++i)
            if (before.OutputBits[i] != state_.OutputBits[i])
                out.push_back(bitRow(event.ms, outputAddress(i), relays, before.OutputBits[i],
                                     state_.OutputBits[i], shortRecord));
    if (kind == Inputs)
        for (int i = 0; i < kInputCount; ++i)
            if (before.InputBits[i] != state_.InputBits[i])
                out.push_back(bitRow(event.ms, inputAddress(i), relays, before.InputBits[i],
                                     state_.InputBits[i], shortRecord));
}

void Timeline::closeStart(std::vector<Change> &out) {
    if (startDone_)
        return;
    startDone_ = true;
    startOpen_ = false;
    for (const Kind kind : startOrder_)
        firstRows(kind, out);
    out.insert(out.end(), std::make_move_iterator(held_.begin()),
               std::make_move_iterator(held_.end()));
    held_.clear();
}

void Timeline::finish(std::vector<Change> &out) {
    if (startOpen_)
        closeStart(out);
}

std::vector<Change> timelineOf(const recording::Recording &recorded) {
    std::vector<Change> out;
    Timeline timeline;
    for (const recording::Event &event : recorded.events)
        timeline.add(event, out);
    timeline.finish(out);
    return out;
}

QString secondsText(std::int64_t ms) {
    const int thousandths = int(ms % 1000);
    const char digits[] = {char('.'), char('0' + thousandths / 100),
                           char('0' + thousandths / 10 % 10), char('0' + thousandths % 10)};
    return QString::number(ms / 1000) + QLatin1StringView(digits, 4);
}

QString formatChange(const Change &c) {
    // Put together by hand: gear-log prints rows by the million.
    QString row = secondsText(c.ms);
    row.reserve(row.size() + c.address.size() + c.meaning.size() + c.from.size() + c.to.size() +
                32);
    row += QLatin1Char(' ');
    if (!c.address.isEmpty()) {
        row += c.address;
        row += QLatin1Char(' ');
    }
    row += c.meaning;
    row += QLatin1String(": ");
    if (!c.from.isNull()) {
        row += c.from;
        row += QLatin1String(" -> ");
    }
    row += c.to;
    if (c.shortRecord)
        row += QLatin1String(" (short record)");
    return row;
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
    const auto special = [](QChar c) {
        return c == QLatin1Char(',') || c == QLatin1Char('"') || c == QLatin1Char('\r') ||
               c == QLatin1Char('\n');
    };
    if (!formula && std::none_of(text.begin(), text.end(), special))
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
    QString row = secondsText(c.ms);
    for (const QString &field : {c.address, c.meaning, c.from,
                                 c.shortRecord ? c.to + QStringLiteral(" (short record)") : c.to}) {
        row += QLatin1Char(',');
        row += csvField(field);
    }
    return row;
}
