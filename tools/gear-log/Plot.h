#pragma once

#include "Meanings.h"
#include "Swings.h"
#include "Timeline.h"

#include <QString>
#include <QStringList>

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

// A logic-analyser picture of a recording as plain values: one trace row per input, output and
// relay, the link's bad spans and the swings, every one already merged to the picture's pixels.
// Whatever the recording's length, a row holds at most one run per pixel column, so a plot of
// any file takes flat memory and paints in time bounded by its width.

// The shown times, from and to in milliseconds, over `width` pixel columns.
struct PlotRange {
    std::int64_t fromMs = 0;
    std::int64_t toMs = 1000;
    int width = 1;

    // The pixel column a time falls in, as a fraction; times outside the range are clamped.
    long double column(std::int64_t ms) const;
};

// What a pixel column of a trace shows: the bit off, on, or both (it changed within the column).
enum class Level : std::uint8_t { Off, On, Both };

// Pixel columns [from, to).
struct PixelRun {
    int from = 0;
    int to = 0;
    Level level = Level::Off;
    bool operator==(const PixelRun &) const = default;
};

struct TraceRow {
    QString address;
    QString meaning; // under the relays in force at the start of the range
    LegendColours colours;
    std::vector<PixelRun> runs; // in order, none before the first reading
};

// A span of the link gone bad: columns [from, to).
struct Shade {
    enum class Kind { Stale, Failed, PortClosed };
    int from = 0;
    int to = 0;
    Kind kind = Kind::Stale;
    bool operator==(const Shade &) const = default;
};

// A swing's span and its result ("retraction 2.500 s"); swings that share a column are one mark
// ("3 swings").
struct SwingMark {
    int from = 0;
    int to = 0;
    QString text;
    int swings = 1;
};

struct Plot {
    PlotRange range;
    std::vector<TraceRow> rows;
    std::vector<Shade> shades;
    std::vector<SwingMark> swings;
};

// The addresses a plot has a row for, top to bottom: inputs, outputs, relays.
QStringList plotAddresses();

// Builds a Plot from a timeline's rows and the swings found in them, fed in time order.
class PlotBuilder {
public:
    // One row for each of `addresses`, in that order.
    PlotBuilder(PlotRange range, const QStringList &addresses);
    void add(const Change &change);
    void add(const Swing &swing);
    // The recording's last time: what is in force then runs to it.
    Plot finish(std::int64_t lastMs);

private:
    struct Trace {
        TraceRow row;
        QString onWord;
        std::optional<bool> on;
        std::int64_t sinceMs = 0;
    };
    void extend(Trace &trace, std::int64_t untilMs);
    void shadeUntil(std::int64_t untilMs);
    void noteRelay(const Change &change);
    // Columns [first, last] of the span [fromMs, toMs); none when it lies outside the range or
    // is empty.
    std::optional<std::pair<int, int>> columns(std::int64_t fromMs, std::int64_t toMs) const;

    Plot plot_;
    std::vector<Trace> traces_;
    // Kept by kind, so that bands alternating within a column still merge.
    std::array<std::vector<Shade>, 3> shadesOf_;
    std::optional<Shade::Kind> bad_;
    std::int64_t badSinceMs_ = 0;
    ConfigFlags relays_;
    ConfigFlags labelRelays_;
    std::optional<std::int64_t> firstRelayMs_;
};

// What a swing's mark says: its kind and its time, or why it has none.
QString swingMarkText(const Swing &swing);
