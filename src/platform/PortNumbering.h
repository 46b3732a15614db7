#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

// How the monitor numbers serial ports on Linux.
//
// A symbolic link named comN (N decimal, no leading zero) in the program's folder is port N.
// That is how a user gives a USB adapter a stable number (link it to its /dev/serial/by-id/...
// path) or offers a virtual port, which the system's port list never shows. The ports the system
// lists are then numbered 1, 2, ... in the order ttyS*, ttyUSB*, ttyACM*, the rest, each group in
// natural order, skipping numbers that links hold. A link holds its number even while it leads
// nowhere, so an adapter that is unplugged for a moment does not let the other ports' numbers
// shift.

// A comN link found in the program's folder.
struct PortLink {
    int number = 0;
    QString target; // where the link points
    QString device; // the terminal it reaches now; empty when it reaches none
};

struct NumberedPort {
    int number = 0;
    QString shownPath; // what the user is shown: the link's target or the device path
    QString device;    // what to open; empty when the number's link reaches no device now

    bool operator==(const NumberedPort &) const = default;
};

// N for a file named "comN"; nothing for any other name.
std::optional<int> linkPortNumber(const QString &fileName);

// "ttyS2" before "ttyS10": runs of digits compare by value.
bool naturalLess(const QString &a, const QString &b);

// The order the system's ports are numbered in: ttyS*, ttyUSB*, ttyACM*, the rest, each group
// by the natural order of the device's file name.
bool portListLess(const QString &a, const QString &b);

// Every port by number, ascending. `systemDevices` are the canonical paths of the ports the
// system lists; one that a link already reaches keeps only the link's number.
QList<NumberedPort> numberPorts(const QList<PortLink> &links, const QStringList &systemDevices);

// The comN links in `folder`, whatever they point to. A link reaches a device only when it leads
// to a terminal: a regular file, /dev/null or /dev/zero is no serial port.
QList<PortLink> findPortLinks(const QString &folder);

// The canonical paths of the serial ports the system lists.
QStringList systemPortDevices();
