#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

// Only terminals are serial ports. A character device such as /dev/null or /dev/zero opens like
// a port but has no line settings, and one like /dev/zero would flood the monitor with bytes.
// The kernel's table of terminal drivers tells them apart without opening the device: opening a
// real serial port would raise its modem lines just to look at it.

// The device numbers one terminal driver owns.
struct TerminalNumbers {
    unsigned major = 0;
    unsigned firstMinor = 0;
    unsigned lastMinor = 0;

    bool operator==(const TerminalNumbers &) const = default;
};

// The drivers listed in the kernel's terminal driver table (/proc/tty/drivers): one driver a
// line, its device number's major and its range of minors ("64" or "64-111") as the two columns
// before the last. Lines that do not fit that pattern are left out.
QList<TerminalNumbers> parseTerminalDrivers(const QByteArray &table);

// True when `path` is a character device a terminal driver owns. Where the driver table cannot
// be read, every character device counts as a terminal; the port then checks again once open.
bool isTerminalDevice(const QString &path);
