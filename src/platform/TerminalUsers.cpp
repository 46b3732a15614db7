#include "platform/TerminalUsers.h"

#include <QFile>

#ifndef Q_OS_WIN
#include <dirent.h>
#include <fcntl.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>
#endif

std::optional<ProcessTerminal> parseProcessStat(const QByteArray &line) {
    const qsizetype nameEnd = line.lastIndexOf(')');
    if (nameEnd < 0)
        return std::nullopt;
    // After the name: state, parent, process group, session, tty_nr, ...
    const QList<QByteArray> fields = line.mid(nameEnd + 1).simplified().split(' ');
    if (fields.size() < 5)
        return std::nullopt;
    bool sessionOk = false, terminalOk = false;
    ProcessTerminal facts;
    facts.session = fields[3].toLongLong(&sessionOk);
    const qint64 packed = fields[4].toLongLong(&terminalOk);
    if (!sessionOk || !terminalOk)
        return std::nullopt;
    // Packed as the kernel's new_encode_dev: minor's low byte, then the major, then the rest of
    // the minor.
    if (packed != 0)
        facts.terminal = DeviceNumber{unsigned((packed >> 8) & 0xfff),
                                      unsigned((packed & 0xff) | ((packed >> 12) & 0xfff00))};
    return facts;
}

QString terminalUseReason(int portNumber, const QString &device, const TerminalUse &use) {
    const QString process =
        use.process > 0 ? QStringLiteral(" (process %1)").arg(use.process) : QString();
    switch (use.kind) {
    case TerminalUse::Kind::SessionTerminal:
        return QStringLiteral("Port Com%1 leads to %2, the controlling terminal of a session%3: "
                              "someone's shell or login, not a serial port. The monitor leaves "
                              "it alone, so as not to take what is typed there.")
            .arg(portNumber)
            .arg(device, process);
    case TerminalUse::Kind::HeldOpen:
        return QStringLiteral("Port Com%1 leads to %2, which another program%3 holds open. While "
                              "it waits for its port, the monitor takes only a device no other "
                              "program holds.")
            .arg(portNumber)
            .arg(device, process);
    case TerminalUse::Kind::Free:
        break;
    }
    return {};
}

#ifdef Q_OS_WIN
TerminalUse terminalUse(int, bool, qint64) {
    return {};
}
qint64 otherProcessHolding(const QString &) {
    return 0;
}
TerminalLook::TerminalLook(const QString &) {}
TerminalLook::~TerminalLook() = default;
bool TerminalLook::isTerminal() const {
    return true;
}
bool TerminalLook::sameDevice(int) const {
    return true;
}
#else
namespace {

std::optional<DeviceNumber> deviceNumber(const struct stat &info) {
    if (!S_ISCHR(info.st_mode))
        return std::nullopt;
    return DeviceNumber{::major(info.st_rdev), ::minor(info.st_rdev)};
}

std::optional<DeviceNumber> deviceOf(int fd) {
    struct stat info {};
    return ::fstat(fd, &info) == 0 ? deviceNumber(info) : std::nullopt;
}

// Calls `visit` with each process /proc lists, as its decimal number, until it returns true.
template <typename Visit> void forEachProcess(Visit visit) {
    DIR *proc = ::opendir("/proc");
    if (!proc)
        return;
    while (const dirent *entry = ::readdir(proc)) {
        const QByteArray name(entry->d_name);
        bool isNumber = false;
        const qint64 pid = name.toLongLong(&isNumber);
        if (isNumber && pid > 0 && visit(pid, name))
            break;
    }
    ::closedir(proc);
}

// Read with plain system calls: a look reads one line for each process on the system.
QByteArray readStatLine(const QByteArray &path) {
    const int fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return {};
    char line[1024]; // the command name is short; the fields wanted follow it
    const ssize_t length = ::read(fd, line, sizeof line);
    ::close(fd);
    return length > 0 ? QByteArray(line, length) : QByteArray();
}

// The session whose controlling terminal `device` is; nothing when no process seen has it so.
std::optional<qint64> sessionWithTerminal(const DeviceNumber &device) {
    std::optional<qint64> session;
    forEachProcess([&](qint64, const QByteArray &pid) {
        const std::optional<ProcessTerminal> facts =
            parseProcessStat(readStatLine(QByteArrayLiteral("/proc/") + pid + "/stat"));
        if (facts && facts->terminal == device)
            session = facts->session;
        return session.has_value();
    });
    return session;
}

// Whether the descriptor /proc/<pid>/fd/<fd> leads to `device`. Only a descriptor that leads
// into /dev is looked at: a look at any other file could wait on a hung network or user-space
// file system.
bool descriptorLeadsTo(const QByteArray &descriptor, const DeviceNumber &device) {
    char target[64];
    const ssize_t length = ::readlink(descriptor.constData(), target, sizeof target);
    if (length < 5 || QByteArray(target, 5) != QByteArrayLiteral("/dev/"))
        return false;
    struct stat info {};
    return ::stat(descriptor.constData(), &info) == 0 && deviceNumber(info) == device;
}

bool processHolds(const QByteArray &pid, const DeviceNumber &device) {
    const QByteArray folder = QByteArrayLiteral("/proc/") + pid + QByteArrayLiteral("/fd/");
    DIR *descriptors = ::opendir(folder.constData());
    if (!descriptors)
        return false; // ended meanwhile, or not ours to inspect
    bool holds = false;
    while (const dirent *entry = ::readdir(descriptors)) {
        if (entry->d_name[0] != '.' && descriptorLeadsTo(folder + entry->d_name, device)) {
            holds = true;
            break;
        }
    }
    ::closedir(descriptors);
    return holds;
}

// Another process that holds `device` open, `suspect` looked at first; 0 when none is seen.
// Every descriptor of every process is a lot to look at once a second; the holder seen last time
// usually holds it still.
qint64 processHolding(const DeviceNumber &device, qint64 suspect = 0) {
    const qint64 self = ::getpid();
    if (suspect > 0 && suspect != self && processHolds(QByteArray::number(suspect), device))
        return suspect;
    qint64 holder = 0;
    forEachProcess([&](qint64 pid, const QByteArray &name) {
        if (pid != self && processHolds(name, device))
            holder = pid;
        return holder != 0;
    });
    return holder;
}

} // namespace

TerminalUse terminalUse(int fd, bool heldCounts, qint64 lastHolder) {
    if (fd < 0)
        return {};
    pid_t session = 0;
    if (::ioctl(fd, TIOCGSID, &session) == 0)
        return {TerminalUse::Kind::SessionTerminal, session};
    const std::optional<DeviceNumber> device = deviceOf(fd);
    if (!device)
        return {};
    if (const std::optional<qint64> other = sessionWithTerminal(*device))
        return {TerminalUse::Kind::SessionTerminal, *other};
    if (heldCounts) {
        if (const qint64 holder = processHolding(*device, lastHolder))
            return {TerminalUse::Kind::HeldOpen, holder};
    }
    return {};
}

qint64 otherProcessHolding(const QString &device) {
    struct stat info {};
    if (::stat(QFile::encodeName(device).constData(), &info) != 0)
        return 0;
    const std::optional<DeviceNumber> number = deviceNumber(info);
    return number ? processHolding(*number) : 0;
}

TerminalLook::TerminalLook(const QString &device)
    : fd_(::open(QFile::encodeName(device).constData(),
                 O_RDONLY | O_NOCTTY | O_NONBLOCK | O_CLOEXEC)) {}

TerminalLook::~TerminalLook() {
    if (fd_ >= 0)
        ::close(fd_);
}

bool TerminalLook::isTerminal() const {
    return fd_ >= 0 && ::isatty(fd_) == 1;
}

bool TerminalLook::sameDevice(int fd) const {
    if (fd_ < 0)
        return true;
    struct stat looked {};
    struct stat opened {};
    if (::fstat(fd_, &looked) != 0 || ::fstat(fd, &opened) != 0)
        return false;
    return looked.st_dev == opened.st_dev && looked.st_ino == opened.st_ino &&
           looked.st_rdev == opened.st_rdev;
}
#endif
