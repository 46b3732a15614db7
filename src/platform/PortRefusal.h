#pragma once

#include <QString>

// Why the system refused to open a serial device that exists, as far as the monitor can tell, and
// what the user can do about it. The refusal's own reason ("Permission denied", "Permission error
// while locking the device") says what happened; the advice says how to get past it.
struct PortRefusal {
    enum class Cause {
        Unknown,
        NoAccess,  // the device's permissions keep this user out
        Locked,    // another program holds the device's lock file
        StaleLock, // a lock file left by a program that has ended
        Busy,      // another program has the device open for itself alone
    };
    Cause cause = Cause::Unknown;
    QString device;
    QString user;                // this user's login name
    QString group;               // the group that owns the device; empty when it has no name
    bool groupMayOpen = false;   // the device's mode lets its group read it
    bool memberOfGroup = false;  // the user is listed in that group
    bool groupInSession = false; // this process already carries that group
    qint64 lockHolder = 0;       // the process named in the lock file, or one seen holding a
                                 // busy device open; 0 when unknown
    QString lockFile;
};

// Lines to add below the refusal's reason, each starting with a line break; empty when there is
// nothing useful to say.
QString portRefusalAdvice(const PortRefusal &refusal);

// Looks at the device, its lock file and this user's groups after an open of `device` failed with
// `reason`.
PortRefusal examinePortRefusal(const QString &device, const QString &reason);

// The lock file QSerialPort takes for `device`, e.g. /run/lock/LCK..ttyUSB0.
QString serialLockFile(const QString &device);
