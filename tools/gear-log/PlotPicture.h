#pragma once

#include "Plot.h"

#include <QString>

// Where a plot's parts sit in its picture, in pixels. 1700 pixels wide at 160 dots an inch is
// 270 mm: the picture fills a landscape A4 page within its margins, and its 18-pixel text
// (8 points printed) reads on a screen at its own size.
namespace plotlayout {
inline constexpr int kWidth = 1700;
inline constexpr int kDotsPerInch = 160;
inline constexpr int kMargin = 20;
inline constexpr int kLabelWidth = 480;
inline constexpr int kTraceLeft = kMargin + kLabelWidth;
inline constexpr int kTraceWidth = kWidth - kTraceLeft - kMargin;
inline constexpr int kTextPixels = 18;
inline constexpr int kRowsTop = 110; // below the title, the legend and the swings
inline constexpr int kRowHeight = 28;
// Within a row: a bit on fills the band from kHighTop, a bit off only its low strip.
inline constexpr int kHighTop = 5;
inline constexpr int kLowTop = 20;
inline constexpr int kBandBottom = 25;
inline constexpr int kAxisHeight = 60;

inline constexpr int rowTop(int row) {
    return kRowsTop + row * kRowHeight;
}
inline constexpr int height(int rows) {
    return rowTop(rows) + kAxisHeight;
}
} // namespace plotlayout

// The picture's mark: gear-log replaces an existing file only when it carries it.
inline constexpr char kPlotMark[] = "Plotted by gear-log from a recording";

// Draws `plot` with `title` over it to `path`, an SVG or a PNG picture by its ending, through a
// temporary file renamed over `path` once whole; an empty text when written, else why not (and
// nothing is left behind).
QString writePlotPicture(const Plot &plot, const QString &title, const QString &path);
