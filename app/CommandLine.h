#pragma once

#include <QDateTime>
#include <QHostAddress>
#include <QString>
#include <QStringList>

// What the command line asks of gear-monitor: open the window, or answer and end at once (help,
// version, a usage error) without needing a display.
struct CommandLine {
    enum class Action { OpenWindow, Exit };
    Action action = Action::OpenWindow;
    int exitCode = 0;
    QString standardOutput; // printed before ending
    QString standardError;
    QString recordFile;         // --record: record the session to this file
    bool recordDated = false;   // --record-dated: to a dated file in the documents folder
    bool mirror = false;        // --mirror: show the panel to browsers on the network
    QHostAddress mirrorAddress; // null: every interface
    quint16 mirrorPort = 0;
    QString mirrorKeyFile; // --mirror-key: the key kept in this file
};

// A recording that cannot be made, or would replace what is there, ends the program before its
// window opens, as a bad option does.
enum CommandLineExit {
    ExitAnswered = 0,
    ExitBadUsage = 2,
    ExitCannotRecord = 2,
    ExitCannotMirror = 2
};

// --mirror's value: "PORT" or "ADDRESS:PORT" ("[ADDRESS]:PORT" for IPv6). False when it is
// neither; the address is left null for a port alone.
bool parseMirrorEndpoint(const QString &text, QHostAddress &address, quint16 &port);

// `arguments` as main() receives them, the program's name first. Qt's own window options
// (-platform, -style, ...) are accepted and left for QApplication.
CommandLine parseCommandLine(const QStringList &arguments);

// Where --record-dated records: a file named after the moment, e.g.
// <folder>/gear-monitor-2026-12-07-164500.rec. A later attempt in the same second, when that name
// is taken, adds its number (..._2.rec up to kDatedAttempts), so names still sort by time.
inline constexpr int kDatedAttempts = 9;
QString datedRecordingPath(const QString &folder, const QDateTime &now, int attempt = 1);

// argv as text.
QStringList argumentList(int argc, char *argv[]);
