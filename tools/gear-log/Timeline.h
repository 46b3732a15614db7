#pragma once

#include "link/Recording.h"

#include <QString>

#include <vector>

// What changed at one moment of a recorded session, as the panel would have shown it.
struct Change {
    std::int64_t ms = 0;
    QString address; // X0, Y5, C73, V, C, or empty for the port, the link and ignored lines
    QString meaning; // what the address means, from the window's tooltips
    QString from;    // texts from the recording are escaped as the recording escapes them: \\, \xHH
    QString to;
};

// The address of input bit `index` (X0-X7, X100-X107, X110, X111) and of output bit `index`.
QString inputAddress(int index);
QString outputAddress(int index);

// The meaning of an address as the window's tooltips give it; empty when no tooltip names it.
QString meaningOf(const QString &address);

// Decodes the recorded lines with the monitor's own decoder and keeps only what changed: each
// input, output and configuration relay, the firmware version, the cycle count, the port, the
// link's band, and every line the decoder ignored.
std::vector<Change> timelineOf(const recording::Recording &recorded);

// "12.480 X0 Indicates the Right gear is down: off -> on"
QString formatChange(const Change &change);
// time_s,address,meaning,from,to, quoted where needed (RFC 4180); a field that a spreadsheet
// would take for a formula (=, +, -, @, tab, CR first) starts with a ' inside its quotes.
QString csvHeader();
QString csvRow(const Change &change);
