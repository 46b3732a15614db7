#include "platform/PortNumbering.h"

#include "TerminalDevices.h"

#include <QDir>
#include <QFileInfo>
#include <QSerialPortInfo>

#include <algorithm>
#include <set>

namespace {

// Only '0' to '9' count as digits. Other scripts' digits have no value the order could compare,
// and counting them as digits while comparing their codes would make the order cyclic.
bool isAsciiDigit(QChar c) {
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

} // namespace

std::optional<int> linkPortNumber(const QString &fileName) {
    static const QString prefix = QStringLiteral("com");
    if (!fileName.startsWith(prefix) || fileName.size() == prefix.size())
        return std::nullopt;
    const QStringView digits = QStringView(fileName).sliced(prefix.size());
    // A leading zero would let "com07" and "com7" claim one number.
    if (digits.front() == QLatin1Char('0'))
        return std::nullopt;
    if (!std::all_of(digits.begin(), digits.end(), isAsciiDigit))
        return std::nullopt;
    bool ok = false;
    const int number = digits.toInt(&ok);
    return ok ? std::optional<int>(number) : std::nullopt;
}

namespace {

// The digit run starting at `i`, advancing `i` past it.
QStringView digitRun(QStringView s, qsizetype &i) {
    const qsizetype start = i;
    while (i < s.size() && isAsciiDigit(s[i]))
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
        if (isAsciiDigit(a[i]) && isAsciiDigit(b[j])) {
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
        if (!rest.isEmpty() && std::all_of(rest.begin(), rest.end(), isAsciiDigit))
            return g;
    }
    return int(prefixes.size());
}

} // namespace

bool naturalLess(const QString &a, const QString &b) {
    return naturalCompare(a, b) < 0;
}

bool portListLess(const QString &a, const QString &b) {
    const int ga = groupOf(a), gb = groupOf(b);
    if (ga != gb)
        return ga < gb;
    return naturalLess(QFileInfo(a).fileName(), QFileInfo(b).fileName());
}

QList<NumberedPort> numberPorts(const QList<PortLink> &links, const QStringList &systemDevices) {
    QList<NumberedPort> ports;
    std::set<int> taken;
    QStringList numbered; // devices that have their number already
    for (const PortLink &link : links) {
        if (!taken.insert(link.number).second)
            continue;
        ports << NumberedPort{link.number, link.target, link.device};
        if (!link.device.isEmpty())
            numbered << link.device;
    }
    QStringList devices = systemDevices;
    std::sort(devices.begin(), devices.end(), portListLess);
    int next = 1;
    for (const QString &device : devices) {
        if (numbered.contains(device))
            continue;
        numbered << device; // a device the system lists twice still gets one number
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
        const bool reachesDevice = !canonical.isEmpty() && isTerminalDevice(canonical);
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
