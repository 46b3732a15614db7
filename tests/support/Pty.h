#pragma once

#include <QByteArray>
#include <QString>

// A pseudo-terminal for tests: the test holds the master side and writes what a device would
// send; the code under test opens `devicePath()` as its serial port. Closing the master is a
// hang-up as the port sees it.
class Pty {
public:
    Pty();
    ~Pty();
    Pty(const Pty &) = delete;
    Pty &operator=(const Pty &) = delete;

    bool isOpen() const { return master_ >= 0; }
    QString devicePath() const { return devicePath_; }
    // Writes all of `bytes`; false if the master is closed or the write fails (a full buffer
    // fails too: the reader drains it only from the event loop, which waits for this call).
    bool write(const QByteArray &bytes);
    void close();
    // Whether the device side still has a fresh terminal's settings: echo on, lines edited.
    // Setting it up as a serial port turns both off.
    bool echoesAndEditsLines() const;
    // From now on, notes any setting of the device side that turns its flow control keys off or
    // on, as setting it up as a serial port does, even when the settings are put back at once.
    // The master then reads in packet mode: each read starts with a status byte.
    bool watchSettings();
    bool settingsChangedSinceWatched();

private:
    int master_ = -1;
    QString devicePath_;
};

// A child process that holds a pseudo-terminal's device side open until this is destroyed: as
// the controlling terminal of a session of its own, as a shell in a new terminal window does, or
// as a plain open descriptor. The child holds nothing else of the test's.
class PtyHolder {
public:
    enum class As { SessionTerminal, OpenDescriptor };
    PtyHolder(const QString &devicePath, As as);
    ~PtyHolder();
    PtyHolder(const PtyHolder &) = delete;
    PtyHolder &operator=(const PtyHolder &) = delete;

    // The child runs and holds the device.
    bool holding() const { return holding_; }
    qint64 pid() const { return pid_; }

private:
    qint64 pid_ = -1;
    bool holding_ = false;
};
