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

private:
    int master_ = -1;
    QString devicePath_;
};
