#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// Whether a terminal is someone else's. The system gives a pseudo-terminal's number to the next
// terminal window or login as soon as its writer ends, so a comN link made for a simulator can
// come to lead to a user's shell. Set up as a serial port, that terminal would turn raw without
// echo, and what is typed there, a password among it, would reach the monitor instead of the
// shell. So the monitor looks before it sets a device up: it never takes a terminal that is some
// session's controlling terminal, and, while it waits for a vanished port, neither one that
// another process holds open. It sees only the processes the system lets it inspect; processes
// of other users are hidden from it where /proc hides them.

// A device number, as the system's device files carry it.
struct DeviceNumber {
    unsigned major = 0;
    unsigned minor = 0;

    bool operator==(const DeviceNumber &) const = default;
};

// A process's session and its controlling terminal, read from its /proc/<pid>/stat line.
struct ProcessTerminal {
    qint64 session = 0;
    std::optional<DeviceNumber> terminal; // none when the process has no controlling terminal
};

// The session (the sixth field) and the controlling terminal (the seventh, tty_nr, in the
// kernel's packed form) of a /proc/<pid>/stat line. The command name in parentheses may hold
// blanks and parentheses itself, so the fields are counted from the last ')'. Nothing when the
// line does not read so.
std::optional<ProcessTerminal> parseProcessStat(const QByteArray &line);

// How other processes use a terminal, as far as this one can see.
struct TerminalUse {
    enum class Kind {
        Free,
        SessionTerminal, // some session's controlling terminal; `process` leads that session
        HeldOpen,        // another process has it open; `process` is that process
    };
    Kind kind = Kind::Free;
    qint64 process = 0; // 0 when unknown

    bool operator==(const TerminalUse &) const = default;
};

// How the terminal open on `fd` is used. TIOCGSID answers only for this process's own
// controlling terminal (ENOTTY for any other session's), so every process's controlling terminal
// is also read from /proc. With `heldCounts`, a terminal another process merely holds open counts
// too; this process's own descriptors never do. `lastHolder`, the holder a look found before, is
// looked at first.
TerminalUse terminalUse(int fd, bool heldCounts, qint64 lastHolder = 0);

// Another process that holds `device` open; 0 when none is seen.
qint64 otherProcessHolding(const QString &device);

// Why port `portNumber`, which leads to `device`, is refused for that use: the text the user is
// shown and the log records. Empty for a free terminal.
QString terminalUseReason(int portNumber, const QString &device, const TerminalUse &use);

// A look at a device through a descriptor of the monitor's own, opened read-only, without
// becoming a controlling terminal and without waiting for a modem line: opening so changes none
// of the device's settings. While the look is held, a pseudo-terminal's number cannot pass to a
// new terminal, so the device looked at is the one the port then opens.
class TerminalLook {
public:
    explicit TerminalLook(const QString &device);
    ~TerminalLook();
    TerminalLook(const TerminalLook &) = delete;
    TerminalLook &operator=(const TerminalLook &) = delete;

    // False when the device could not be opened; the port's own open then says why.
    bool isOpen() const { return fd_ >= 0; }
    bool isTerminal() const;
    TerminalUse use(bool heldCounts, qint64 lastHolder = 0) const {
        return terminalUse(fd_, heldCounts, lastHolder);
    }
    // Whether `fd` leads to the very device looked at (true when the look is not open).
    bool sameDevice(int fd) const;

private:
    int fd_ = -1;
};
