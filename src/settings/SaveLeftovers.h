#pragma once

#include <QString>
#include <QStringList>

// A save writes the new settings into a temporary copy beside the settings file and renames it
// over the file once it is whole. The copy's name is one only this program makes: a dot, the
// settings file's name, ".gear-monitor-save-", the saving process's id, "-" and sixteen hex
// digits, e.g. ".VovazuzoVevoZavovav.XML.gear-monitor-save-4711-0123456789abcdef". A save cut
// short (the program killed, the machine off) leaves its copy behind; the next start removes
// such copies and nothing else, so a copy people make of their own (".Keep01", ".backup") is
// never taken for one.

// The name of a temporary copy for the settings file named `settingsFileName`.
QString saveCopyName(const QString &settingsFileName, qint64 pid, quint64 random);

// The id of the process that made the copy named `name`, or 0 when `name` is not the name of a
// temporary copy of `settingsFileName`.
qint64 saveCopyProcess(const QString &name, const QString &settingsFileName);

// Removes every temporary copy beside the settings file at `settingsPath` and returns their
// names. Only a regular file of this user is removed (never what a link leads to, a folder or a
// pipe), only when it begins as this program's settings files do (or is empty), and only when
// the process that made it has ended: another monitor sharing the folder may be saving.
QStringList removeInterruptedSaves(const QString &settingsPath);
