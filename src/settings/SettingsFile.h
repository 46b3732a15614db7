#pragma once

#include "link/PortSettings.h"

#include <QByteArray>
#include <QDateTime>
#include <QLocale>
#include <QString>

// The port settings survive between runs in a small XML-looking text file beside the executable.
// It has a fixed line format of its own: written as exactly thirteen CR LF lines of Latin-1 text,
// read back line by line with a simple scanner, never parsed as general XML.

inline constexpr char kSettingsFileName[] = "VovazuzoVevoZavovav.XML";

// The settings file's full path in the program's folder.
QString settingsFilePath(const QString &programFolder);

// The thirteen lines of the file for `s`. The version caption goes into the comment on line 2,
// `localTime` into line 4 as "d MMM yyyy  HH:mm:ss" in `locale` (so month names follow the
// user's language). Values are written as they are, nothing escaped or trimmed.
QByteArray formatSettingsFile(const PortSettingsRecord &s, const QString &versionCaption,
                              const QDateTime &localTime, const QLocale &locale);

// What one line of the file holds: nothing of use, one element, or a position beyond the
// format's limit of 32,767.
struct ScanResult {
    enum Kind { Skipped, Element, Overflow };
    Kind kind = Skipped;
    QString tag;
    QString value;
};

// Finds the first "<", the first ">" after it and the first "</" after that. The tag lies
// between the first two, the value between the last two; anything after the value's end is not
// looked at, so the closing tag's name is never checked. A line missing any of the three is
// skipped. A first "<" at position 32767 or later, or a value end beyond 32767 (positions from
// 1), is an overflow.
ScanResult scanSettingsLine(const QString &line);

// Stores `value` unchanged in the field whose element name equals `tag` exactly
// (case-sensitive); returns false, changing nothing, for any other tag.
bool applySettingsElement(PortSettingsRecord &s, const QString &tag, const QString &value);

// Replaces the file at `path` with `content` as a whole: the old file stays untouched unless the
// new one was written completely. Returns 0, or the failure number (see FileErrors.h).
[[nodiscard]] int writeSettingsFile(const QString &path, const QByteArray &content);

// Writes what formatSettingsFile made, but only when every line of it would be read back: a
// value so long that a line's positions overflow is refused with FileError::SettingTooLong before
// anything is written, so the old file stays as it was. Otherwise as writeSettingsFile.
[[nodiscard]] int saveSettingsFile(const QString &path, const QByteArray &content);

// The longest line the reader holds. A longer line fails the read (FileError::LineTooLong). It is
// far beyond any line that can be read without overflow, so no useful file is refused by it.
inline constexpr qsizetype kMaxSettingsLineLength = 1 << 20;

// Reads the file at `path` line by line into `s`. A line ends at CR LF, a lone LF or a lone CR.
// Only a regular file is read (a link to one is followed); a folder, pipe or device in its place
// fails the read without waiting on it. Returns 0, or the failure number; fields stored from
// lines before a failure are kept.
[[nodiscard]] int readSettingsFile(const QString &path, PortSettingsRecord &s);

// Reads the lines of `bytes` into `s` exactly as readSettingsFile reads a file's content.
[[nodiscard]] int readSettingsBytes(const QByteArray &bytes, PortSettingsRecord &s);

// The text shown for a failure number: the table's text, or "Error Number at Load/Save Files"
// directly followed by the number.
QString settingsErrorText(int number);

// The whole message for a failure: its text, CR LF, "Parameter File Name = " and the path, CR LF.
QString settingsFailureMessage(int number, const QString &path);
