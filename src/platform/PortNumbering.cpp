#include "PortNumbering.h"

#include <QDir>
#include <QFileInfo>
#include <QSerialPortInfo>

#ifndef Q_OS_WIN
#include <sys/stat.h>
#endif

#include <algorithm>
#include <set>

std::optional<int> linkPortNumber(const QString &fileName) {
    static const QString prefix = QStringLiteral("com");
    if (!fileName.startsWith(prefix) || fileName.size() == prefix.size())
        return std::nullopt;
    const QStringView digits = QStringView(fileName).sliced(prefix.size());
    // A leading zero would let "com07" and "com7" claim one number.
    if (digits.front() == QLatin1Char('0'))
        return std::nullopt;
    if (!std::all_of(digits.begin(), digits.end(), [](QChar c) { return c.isDigit(); }))
        return std::nullopt;
    bool ok = false;
    const int number = digits.toInt(&ok);
    return ok ? std::optional<int>(number) : std::nullopt;
}

namespace {

// The digit run starting at `i`, advancing `i` past it.
QStringView digitRun(QStringView s, qsizetype &i) {
    const qsizetype start = i;
    while (i < s.size() && s[i].isDigit())
        ++i;
    return s.sliced(start, i - start);
}

int compareDigitRuns(QStringView a, QStringView b) {
    while (a.size() > 1 && a.front() == QLatin1Char('0'))
        a = a.sliced(1);
    while (b.size() > 1 && b.front() == QLatin1Char('0'))
        b = b.sliced(1);
    if (a.size() != b.size())
        return a.size() < b.size() ? -1 : 1;
    return a.compare(b);
}

int naturalCompare(QStringView a, QStringView b) {
    qsizetype i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        if (a[i].isDigit() && b[j].isDigit()) {
            const int c = compareDigitRuns(digitRun(a, i), digitRun(b, j));
            if (c != 0)
                return c;
        } else if (a[i] != b[j]) {
            return a[i] < b[j] ? -1 : 1;
        } else {
            ++i;
            ++j;
        }
    }
    if (a.size() - i != b.size() - j)
        return a.size() - i < b.size() - j ? -1 : 1;
    return a.compare(b); // equal by value ("ttyS02", "ttyS2"): keep the order total
}

int groupOf(const QString &device) {
    static const QStringList prefixes = {QStringLiteral("ttyS"), QStringLiteral("ttyUSB"),
                                         QStringLiteral("ttyACM")};
    const QString name = QFileInfo(device).fileName();
    for (int g = 0; g < prefixes.size(); ++g) {
        const QStringView rest = QStringView(name).sliced(
            name.startsWith(prefixes[g]) ? prefixes[g].size() : name.size());
        if (!rest.isEmpty() &&
            std::all_of(rest.begin(), rest.end(), [](QChar c) { return c.isDigit(); }))
            return g;
    }
    return int(prefixes.size());
}

bool menuOrderLess(const QString &a, const QString &b) {
    const int ga = groupOf(a), gb = groupOf(b);
    if (ga != gb)
        return ga < gb;
    return naturalLess(QFileInfo(a).fileName(), QFileInfo(b).fileName());
}

bool isCharacterDevice(const QString &path) {
#ifdef Q_OS_WIN
    Q_UNUSED(path);
    return false; // ports there are COMN, never links
#else
    struct stat st {};
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 && S_ISCHR(st.st_mode);
#endif
}

} // namespace

bool naturalLess(const QString &a, const QString &b) {
    return naturalCompare(a, b) < 0;
}

QList<NumberedPort> numberPorts(const QList<PortLink> &links, const QStringList &systemDevices) {
    QList<NumberedPort> ports;
    std::set<int> taken;
    QStringList linked;
    for (const PortLink &link : links) {
        if (!taken.insert(link.number).second)
            continue;
        ports << NumberedPort{link.number, link.target, link.device};
        if (!link.device.isEmpty())
            linked << link.device;
    }
    QStringList devices = systemDevices;
    std::sort(devices.begin(), devices.end(), menuOrderLess);
    int next = 1;
    for (const QString &device : devices) {
        if (linked.contains(device))
            continue;
        while (taken.count(next))
            ++next;
        taken.insert(next);
        ports << NumberedPort{next, device, device};
    }
    std::sort(ports.begin(), ports.end(),
              [](const NumberedPort &a, const NumberedPort &b) { return a.number < b.number; });
    return ports;
}

QList<PortLink> findPortLinks(const QString &folder) {
    QList<PortLink> links;
    const QFileInfoList entries = QDir(folder).entryInfoList(
        QDir::System | QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
    for (const QFileInfo &entry : entries) {
        const std::optional<int> number = linkPortNumber(entry.fileName());
        if (!number || !entry.isSymLink())
            continue;
        const QString canonical = entry.canonicalFilePath(); // empty when dangling
        const bool reachesDevice = !canonical.isEmpty() && isCharacterDevice(canonical);
        links << PortLink{*number, entry.symLinkTarget(), reachesDevice ? canonical : QString()};
    }
    return links;
}

QStringList systemPortDevices() {
    QStringList devices;
    for (const QSerialPortInfo &info : QSerialPortInfo::availablePorts()) {
        const QString canonical = QFileInfo(info.systemLocation()).canonicalFilePath();
        devices << (canonical.isEmpty() ? info.systemLocation() : canonical);
    }
    return devices;
}
