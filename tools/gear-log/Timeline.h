#pragma once

#include "Meanings.h"
#include "link/MonitorState.h"
#include "link/Recording.h"

#include <QString>

#include <array>
#include <vector>

// What changed at one moment of a recorded session, as the panel would have shown it.
struct Change {
    std::int64_t ms = 0;
    QString address; // X0, Y5, C73, V, C, or empty for the port, the link and ignored lines
    QString meaning; // what the address means under the relays in force, in the window's words
    QString from;    // null: the first value, part of the state at the start
    QString to;      // texts from the recording are escaped as the recording escapes them
    bool shortRecord = false; // from a record with fewer flags than its kind has
};

// Decodes the recorded lines one event at a time with the monitor's own decoder. First comes the
// state at the start as one block (every input, output and relay, the version and the count, as
// the first frame gave them), then only what changed, and the port, the link's band and every
// line the decoder ignored, each in its place.
class Timeline {
public:
    // The rows this event completes, appended to `out`.
    void add(const recording::Event &event, std::vector<Change> &out);
    // What is still held at the end: the start's block, if the recording ended within it.
    void finish(std::vector<Change> &out);

private:
    enum Kind { Version, Count, Relays, Outputs, Inputs, KindCount };
    void addLine(const recording::Event &event, std::vector<Change> &out);
    void firstRows(Kind kind, std::vector<Change> &out) const;
    void changedRows(Kind kind, const MonitorState &before, const recording::Event &event,
                     bool shortRecord, std::vector<Change> &out) const;
    void closeStart(std::vector<Change> &out);

    MonitorState state_;
    QString firmware_;
    QString cycles_;
    QString link_ = QStringLiteral("-");
    struct Seen {
        bool seen = false;
        std::int64_t ms = 0;
        bool shortRecord = false;
    };
    std::array<Seen, KindCount> seen_{};
    std::vector<Kind> startOrder_;
    bool startOpen_ = false;
    bool startDone_ = false;
    std::vector<Change> held_; // events that came while the start's block was open
};

std::vector<Change> timelineOf(const recording::Recording &recorded);

// Seconds with three decimals, worked out on the whole milliseconds so that even the latest time
// a recording may hold prints exactly. A recording's times are never negative.
QString secondsText(std::int64_t ms);

// "12.480 X0 Indicates the Right gear is down: switch open -> switch closed"; a row of the
// start's block has no "from ->"; " (short record)" marks a change from a short record.
QString formatChange(const Change &change);
// time_s,address,meaning,from,to, quoted where needed (RFC 4180); a field that a spreadsheet
// would take for a formula (=, +, -, @, tab, CR first) starts with a ' inside its quotes.
QString csvHeader();
QString csvRow(const Change &change);
