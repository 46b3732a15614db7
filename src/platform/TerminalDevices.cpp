#include "platform/TerminalDevices.h"

#include <QFile>

#include <algorithm>

#ifndef Q_OS_WIN
#include <sys/stat.h>
#include <sys/sysmacros.h>
#endif

namespace {

bool parseMinors(const QByteArray &text, TerminalNumbers &numbers) {
    const QList<QByteArray> ends = text.split('-');
    bool firstOk = false, lastOk = ends.size() == 1;
    numbers.firstMinor = ends.front().toUInt(&firstOk);
    numbers.lastMinor = ends.size() == 2 ? ends.back().toUInt(&lastOk) : numbers.firstMinor;
    return ends.size() <= 2 && firstOk && lastOk && numbers.firstMinor <= numbers.lastMinor;
}

} // namespace

QList<TerminalNumbers> parseTerminalDrivers(const QByteArray &table) {
    QList<TerminalNumbers> drivers;
    for (const QByteArray &line : table.split('\n')) {
        // The driver's name comes first and might hold blanks: count the columns from the end.
        const QList<QByteArray> columns = line.simplified().split(' ');
        if (columns.size() < 5)
            continue;
        TerminalNumbers numbers;
        bool majorOk = false;
        numbers.major = columns[columns.size() - 3].toUInt(&majorOk);
        if (majorOk && parseMinors(columns[columns.size() - 2], numbers))
            drivers << numbers;
    }
    return drivers;
}

bool isTerminalDevice(const QString &path) {
#ifdef Q_OS_WIN
    Q_UNUSED(path);
    return false; // ports there are COMN, never links
#else
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0 || !S_ISCHR(st.st_mode))
        return false;
    QFile table(QStringLiteral("/proc/tty/drivers"));
    if (!table.open(QIODevice::ReadOnly))
        return true;
    const QList<TerminalNumbers> drivers = parseTerminalDrivers(table.readAll());
    if (drivers.isEmpty())
        return true;
    const unsigned deviceMajor = major(st.st_rdev), deviceMinor = minor(st.st_rdev);
    return std::any_of(drivers.begin(), drivers.end(), [&](const TerminalNumbers &d) {
        return d.major == deviceMajor && d.firstMinor <= deviceMinor && deviceMinor <= d.lastMinor;
    });
#endif
}
