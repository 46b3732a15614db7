#pragma once

#include <QString>
#include <QtGlobal>

// Processor time this process has used so far, in milliseconds.
qint64 processCpuMs();

// Makes <folder>/comN a symbolic link to `target`, replacing one already there.
bool linkComPort(const QString &folder, int number, const QString &target);
