#pragma once

#include <QString>
#include <QStringList>

// A save cut short (the program killed, the machine off) can leave its temporary copy beside the
// settings file: the file's name, a dot and six random letters. Such copies are never read, but
// they would collect there one per interrupted save.

// Removes every such copy beside the settings file at `settingsPath` and returns their names. A
// copy has the name pattern with both upper and lower case letters (names people give their own
// copies, such as ".backup" or ".before", never match), is a regular file, and begins as this
// program's settings files do (or is empty).
QStringList removeInterruptedSaves(const QString &settingsPath);
