#pragma once

#include "link/MonitorState.h"

#include <QLocale>
#include <QString>
#include <QVariant>

#include <optional>

// What a decoded line changes on screen at once, without waiting for the tick.
struct LabelUpdate {
    std::optional<QString> firmwareVersion;
    std::optional<QString> cycleCount;
};

// The kinds of line the controller sends, by their two-character prefix; Other is any line
// that decodes to nothing.
enum class RecordKind { Version, CycleCount, Configuration, Outputs, Inputs, Other };
RecordKind recordKind(const QString &line);

// A configuration, outputs or inputs record that ends before its last flag ("O:1001", a line cut
// by noise). The decoder reads the missing flags as off; a reader of the timeline should know.
bool isShortRecord(const QString &line);

// A delivery becomes one line: every LF and CR is removed, wherever it stands.
QString cleanDelivery(const QVariant &data);

// Decodes one cleaned line into the status fields by its two-character prefix ("V:", "C:", "F:",
// "O:", "I:"). Every line, recognised or not, lowers LinkSilenceCount by one (never below -32768).
LabelUpdate decodeStatusLine(const QString &line, MonitorState &state, const QLocale &locale);

// "###,##0": a whole number grouped by threes with the locale's separator; any other text
// unchanged.
QString formatCycleCount(const QString &text, const QLocale &locale);
