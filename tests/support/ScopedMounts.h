#pragma once

#include <QFile>
#include <QList>
#include <QString>

#include <sys/mount.h>

#include <cerrno>
#include <cstring>

// Mounts over test folders and unmounts them all when the test ends, however it ends.
class ScopedMounts {
public:
    ScopedMounts() = default;
    ScopedMounts(const ScopedMounts &) = delete;
    ScopedMounts &operator=(const ScopedMounts &) = delete;
    ~ScopedMounts() {
        for (auto it = points_.crbegin(); it != points_.crend(); ++it)
            umount2(it->constData(), MNT_DETACH);
    }

    // Each returns why the system refused, or an empty text.
    QString readOnlyBind(const QString &folder) {
        const QByteArray dir = QFile::encodeName(folder);
        if (mount(dir, dir, nullptr, MS_BIND, nullptr) != 0)
            return refusal();
        points_ << dir;
        if (mount(nullptr, dir, nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY, nullptr) != 0)
            return refusal();
        return {};
    }
    QString tmpfs(const QString &folder, const char *options) {
        const QByteArray dir = QFile::encodeName(folder);
        if (mount("tmpfs", dir, "tmpfs", 0, options) != 0)
            return refusal();
        points_ << dir;
        return {};
    }

private:
    static QString refusal() {
        return QStringLiteral("mounting refused: ") + QString::fromLocal8Bit(strerror(errno));
    }
    QList<QByteArray> points_;
};
