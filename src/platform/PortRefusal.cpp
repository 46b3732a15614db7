#include "platform/PortRefusal.h"

#include "platform/TerminalUsers.h"

#include <QFile>

#ifndef Q_OS_WIN
#include <cerrno>
#include <cstring>
#include <grp.h>
#include <pwd.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>
#endif

namespace {

const QString kChooseAgain = QStringLiteral("then choose the port again");

QString inUseAdvice(const PortRefusal &r) {
    const QString holder =
        r.lockHolder > 0 ? QStringLiteral(" (process %1)").arg(r.lockHolder) : QString();
    return QStringLiteral("\n%1 is in use by another program%2. Close it, %3.")
        .arg(r.device, holder, kChooseAgain);
}

QString noAccessAdvice(const PortRefusal &r) {
    if (r.group.isEmpty() || !r.groupMayOpen || r.groupInSession)
        return {};
    if (r.memberOfGroup) {
        return QStringLiteral("\nYour user %1 is in the group %2, which owns %3, but this session "
                              "started before it was added: log out and log in again.")
            .arg(r.user, r.group, r.device);
    }
    return QStringLiteral("\nYour user %1 may not open %2. Add it to the group %3, which owns the "
                          "device (sudo adduser %1 %3), then log out and log in again.")
        .arg(r.user, r.device, r.group);
}

} // namespace

QString portRefusalAdvice(const PortRefusal &r) {
    switch (r.cause) {
    case PortRefusal::Cause::NoAccess:
        return noAccessAdvice(r);
    case PortRefusal::Cause::Locked:
    case PortRefusal::Cause::Busy:
        return inUseAdvice(r);
    case PortRefusal::Cause::StaleLock:
        return QStringLiteral("\n%1 is locked by a program that has ended. Remove its lock file "
                              "(sudo rm %2), %3.")
            .arg(r.device, r.lockFile, kChooseAgain);
    case PortRefusal::Cause::Unknown:
        break;
    }
    return {};
}

QString serialLockFile(const QString &device) {
    QString name = device.startsWith(QLatin1String("/dev/")) ? device.mid(5) : device;
    name.replace(QLatin1Char('/'), QLatin1Char('_'));
    return QStringLiteral("/run/lock/LCK..") + name;
}

#ifdef Q_OS_WIN
PortRefusal examinePortRefusal(const QString &device, const QString &) {
    return PortRefusal{PortRefusal::Cause::Unknown, device};
}
#else
namespace {

// The pid on the first line of a lock file; 0 when there is none.
qint64 lockHolder(const QString &lockFile) {
    QFile file(lockFile);
    if (!file.open(QIODevice::ReadOnly))
        return 0;
    return file.readLine(32).trimmed().toLongLong();
}

bool processAlive(qint64 pid) {
    return ::kill(pid_t(pid), 0) == 0 || errno == EPERM;
}

void readGroupFacts(PortRefusal &r, const struct stat &device) {
    r.groupMayOpen = (device.st_mode & S_IRGRP) != 0;
    if (const group *g = ::getgrgid(device.st_gid))
        r.group = QString::fromLocal8Bit(g->gr_name);
    std::vector<gid_t> session(::getgroups(0, nullptr) + 1);
    const int count = ::getgroups(int(session.size()), session.data());
    for (int i = 0; i < count; ++i)
        r.groupInSession = r.groupInSession || session[i] == device.st_gid;
    r.groupInSession = r.groupInSession || ::getegid() == device.st_gid;
    const passwd *pw = ::getpwuid(::geteuid());
    if (!pw)
        return;
    r.user = QString::fromLocal8Bit(pw->pw_name);
    int listed = 64;
    std::vector<gid_t> groups(listed);
    if (::getgrouplist(pw->pw_name, pw->pw_gid, groups.data(), &listed) < 0) {
        groups.resize(listed);
        ::getgrouplist(pw->pw_name, pw->pw_gid, groups.data(), &listed);
    }
    for (int i = 0; i < listed && i < int(groups.size()); ++i)
        r.memberOfGroup = r.memberOfGroup || groups[i] == device.st_gid;
}

} // namespace

PortRefusal examinePortRefusal(const QString &device, const QString &reason) {
    PortRefusal r;
    r.device = device;
    const QByteArray path = QFile::encodeName(device);
    struct stat info {};
    if (::stat(path.constData(), &info) != 0)
        return r;
    // The permissions come first: they keep the user out even once the device is free.
    if (::access(path.constData(), R_OK) != 0 && errno == EACCES) {
        r.cause = PortRefusal::Cause::NoAccess;
        readGroupFacts(r, info);
        return r;
    }
    r.lockFile = serialLockFile(device);
    if (QFile::exists(r.lockFile)) {
        r.lockHolder = lockHolder(r.lockFile);
        const bool ended = r.lockHolder > 0 && !processAlive(r.lockHolder);
        r.cause = ended ? PortRefusal::Cause::StaleLock : PortRefusal::Cause::Locked;
        return r;
    }
    if (reason == QString::fromLocal8Bit(std::strerror(EBUSY))) {
        r.cause = PortRefusal::Cause::Busy;
        r.lockHolder = otherProcessHolding(device);
    }
    return r;
}
#endif
