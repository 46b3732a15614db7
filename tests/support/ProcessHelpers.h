#pragma once

#include <QString>
#include <QtGlobal>

// Processor time this process has used so far, in milliseconds.
qint64 processCpuMs();

// Makes <folder>/comN a symbolic link to `target`, replacing one already there.
bool linkComPort(const QString &folder, int number, const QString &target);

class QProcess;

// Starts `process` under a limit on its address space (setrlimit in the child), so a program
// that reads an endless or huge input into memory fails instead of taking the machine's.
void limitAddressSpace(QProcess &process, qint64 bytes);
