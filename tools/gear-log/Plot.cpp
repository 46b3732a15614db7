#include "Plot.h"

#include <algorithm>
#include <cmath>

namespace {

// Marks column `first` .. `last` (inclusive) as showing `level`. Spans come in time order and
// meet, so a new span shares at most its first column with the last run: that column then saw
// both levels.
void cover(std::vector<PixelRun> &runs, int first, int last, Level level) {
    if (!runs.empty() && runs.back().to > first) {
        PixelRun &back = runs.back();
        if (back.level != level && back.level != Level::Both) {
            if (back.to - back.from > 1) {
                --back.to;
                runs.push_back({first, first + 1, Level::Both});
            } else {
                back.level = Level::Both;
            }
            if (runs.size() >= 2 && runs[runs.size() - 2].level == Level::Both &&
                runs[runs.size() - 2].to == runs.back().from) {
                runs[runs.size() - 2].to = runs.back().to;
                runs.pop_back();
            }
        }
        first = runs.back().to;
    }
    if (first > last)
        return;
    if (!runs.empty() && runs.back().to == first && runs.back().level == level)
        runs.back().to = last + 1;
    else
        runs.push_back({first, last + 1, level});
}

// The shades of one kind, merged where they meet or overlap: at most one per column.
void addShade(std::vector<Shade> &shades, Shade shade) {
    if (!shades.empty() && shades.back().kind == shade.kind && shades.back().to >= shade.from) {
        shades.back().to = std::max(shades.back().to, shade.to);
        return;
    }
    shades.push_back(shade);
}

std::optional<Shade::Kind> badBand(const Change &change) {
    if (change.meaning == QLatin1String("port"))
        return change.to == QLatin1String("closed") ? std::optional(Shade::Kind::PortClosed)
                                                    : std::nullopt;
    if (change.to == QLatin1String("stale"))
        return Shade::Kind::Stale;
    if (change.to == QLatin1String("failed"))
        return Shade::Kind::Failed;
    return std::nullopt;
}

} // namespace

long double PlotRange::column(std::int64_t ms) const {
    const std::int64_t clamped = std::clamp(ms, fromMs, toMs);
    // Long double holds every millisecond count exactly, so columns meet where they should.
    return static_cast<long double>(clamped - fromMs) * width /
           static_cast<long double>(toMs - fromMs);
}

QStringList plotAddresses() {
    QStringList addresses;
    for (int i = 0; i < kInputCount; ++i)
        addresses << inputAddress(i);
    for (int i = 0; i < kOutputCount; ++i)
        addresses << outputAddress(i);
    return addresses + relayAddresses();
}

PlotBuilder::PlotBuilder(PlotRange range, const QStringList &addresses) {
    plot_.range = range;
    for (const QString &address : addresses)
        traces_.push_back({{address, QString(), legendColours(address), {}},
                           stateWord(address, true),
                           std::nullopt,
                           0});
}

std::optional<std::pair<int, int>> PlotBuilder::columns(std::int64_t fromMs,
                                                        std::int64_t toMs) const {
    const PlotRange &range = plot_.range;
    fromMs = std::max(fromMs, range.fromMs);
    toMs = std::min(toMs, range.toMs);
    if (toMs <= fromMs)
        return std::nullopt;
    const int first = int(std::floor(range.column(fromMs)));
    const int last = std::min(int(std::ceil(range.column(toMs))) - 1, range.width - 1);
    return std::pair{std::min(first, last), last};
}

void PlotBuilder::extend(Trace &trace, std::int64_t untilMs) {
    if (trace.on)
        if (const auto span = columns(trace.sinceMs, untilMs))
            cover(trace.row.runs, span->first, span->second, *trace.on ? Level::On : Level::Off);
    trace.sinceMs = std::max(trace.sinceMs, untilMs);
}

void PlotBuilder::shadeUntil(std::int64_t untilMs) {
    if (bad_)
        if (const auto span = columns(badSinceMs_, untilMs))
            addShade(shadesOf_[int(*bad_)], {span->first, span->second + 1, *bad_});
    badSinceMs_ = std::max(badSinceMs_, untilMs);
}

void PlotBuilder::noteRelay(const Change &change) {
    if (!change.address.startsWith(QLatin1Char('C')) ||
        !setRelay(relays_, change.address, change.to == stateWord(change.address, true)))
        return; // not a relay: C is the cycle count
    if (!firstRelayMs_)
        firstRelayMs_ = change.ms;
    // The labels name what the rows meant when the picture starts, or at the first reading.
    if (change.ms <= plot_.range.fromMs || change.ms == *firstRelayMs_)
        labelRelays_ = relays_;
}

void PlotBuilder::add(const Change &change) {
    if (change.address.isEmpty()) {
        if (change.meaning == QLatin1String("port") || change.meaning == QLatin1String("link")) {
            shadeUntil(change.ms);
            bad_ = badBand(change);
        }
        return;
    }
    noteRelay(change);
    for (Trace &trace : traces_)
        if (trace.row.address == change.address) {
            extend(trace, change.ms);
            trace.on = change.to == trace.onWord;
            trace.sinceMs = change.ms;
        }
}

void PlotBuilder::add(const Swing &swing) {
    const std::int64_t took = swing.swingMs().value_or(swing.watchedMs);
    const std::int64_t endMs =
        swing.startMs + std::max<std::int64_t>(1, std::min(took, INT64_MAX - swing.startMs));
    const auto span = columns(swing.startMs, endMs);
    if (!span)
        return;
    std::vector<SwingMark> &marks = plot_.swings;
    if (!marks.empty() && marks.back().to > span->first) {
        SwingMark &back = marks.back();
        back.to = std::max(back.to, span->second + 1);
        back.text = QStringLiteral("%1 swings").arg(++back.swings);
        return;
    }
    marks.push_back({span->first, span->second + 1, swingMarkText(swing)});
}

Plot PlotBuilder::finish(std::int64_t lastMs) {
    shadeUntil(lastMs);
    for (Trace &trace : traces_) {
        extend(trace, lastMs);
        trace.row.meaning = meaningOf(trace.row.address, labelRelays_, true);
        plot_.rows.push_back(std::move(trace.row));
    }
    traces_.clear();
    for (std::vector<Shade> &shades : shadesOf_) {
        plot_.shades.insert(plot_.shades.end(), shades.begin(), shades.end());
        shades.clear();
    }
    return std::move(plot_);
}

QString swingMarkText(const Swing &swing) {
    const QString kind = swingKindWord(swing.kind);
    switch (swing.end) {
    case Swing::End::Finished:
        return QStringLiteral("%1 %2 s").arg(kind, secondsText(*swing.swingMs()));
    case Swing::End::NotFinished:
        return kind + QStringLiteral(" not finished");
    case Swing::End::LinkLost:
        break;
    }
    return QStringLiteral("%1 unknown (%2)").arg(kind, swing.lostAs);
}
