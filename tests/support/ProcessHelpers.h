#pragma once

#include <QProcessEnvironment>
#include <QString>
#include <QStringList>
#include <QtGlobal>

// Processor time this process has used so far, in milliseconds.
qint64 processCpuMs();

// Makes <folder>/comN a symbolic link to `target`, replacing one already there.
bool linkComPort(const QString &folder, int number, const QString &target);

class QProcess;

// Starts `process` under a limit on its address space (setrlimit in the child), so a program
// that reads an endless or huge input into memory fails instead of taking the machine's.
void limitAddressSpace(QProcess &process, qint64 bytes);

// A program run to its end, under `addressSpaceLimit` bytes of address space when that is not 0.
// One still running at the deadline is killed and counts as not ended.
struct ProgramRun {
    bool ended = false;
    int status = -1;
    QByteArray out;
    QByteArray err;
};
ProgramRun
runProgram(const QString &program, const QStringList &arguments,
           const QProcessEnvironment &environment = QProcessEnvironment::systemEnvironment(),
           int deadlineMs = 10'000, qint64 addressSpaceLimit = 0);

bool writeFile(const QString &path, const QByteArray &bytes);
// The file's bytes, or "(unreadable)".
QByteArray readFile(const QString &path);
