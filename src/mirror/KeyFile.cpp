#include "mirror/KeyFile.h"

#include "mirror/AccessKey.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QString systemError(int error) {
    return QString::fromLocal8Bit(std::strerror(error));
}

// Closes the descriptor when the reading ends, however it ends.
struct Descriptor {
    int fd;
    ~Descriptor() {
        if (fd >= 0)
            ::close(fd);
    }
};

KeyFileResult refused(const QString &why) {
    return {{}, why, false};
}

KeyFileResult readKey(int fd) {
    struct stat info {};
    if (::fstat(fd, &info) != 0)
        return refused(systemError(errno));
    if (!S_ISREG(info.st_mode))
        return refused(QStringLiteral("not a regular file"));
    // The key is the only thing between the hangar's network and the panel.
    if (info.st_mode & (S_IRWXG | S_IRWXO))
        return refused(QStringLiteral("others may read or change it (chmod 600 it)"));
    char text[kMaxKeyFileBytes + 1];
    qsizetype length = 0;
    while (length < qsizetype(sizeof text)) {
        const ssize_t got = ::read(fd, text + length, sizeof text - size_t(length));
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return refused(systemError(errno));
        if (got == 0)
            break;
        length += got;
    }
    if (length > kMaxKeyFileBytes)
        return refused(QStringLiteral("too large to be a key file"));
    const auto key = keyFromText(QByteArrayView(text, length));
    if (!key)
        return refused(QStringLiteral("it does not hold a key (32 hex digits)"));
    return {*key, {}, false};
}

bool writeAll(int fd, const QByteArray &data) {
    qsizetype done = 0;
    while (done < data.size()) {
        const ssize_t wrote = ::write(fd, data.constData() + done, size_t(data.size() - done));
        if (wrote < 0 && errno == EINTR)
            continue;
        if (wrote <= 0)
            return false;
        done += wrote;
    }
    return ::fsync(fd) == 0;
}

// Made anew, never through a link and never over a file that appeared meanwhile.
KeyFileResult makeKeyFile(const QByteArray &path, bool &raced) {
    raced = false;
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                          S_IRUSR | S_IWUSR);
    if (fd < 0) {
        raced = errno == EEXIST;
        return refused(QStringLiteral("cannot make it: ") + systemError(errno));
    }
    Descriptor file{fd};
    const QByteArray key = newAccessKey();
    if (!writeAll(fd, key + '\n')) {
        const int error = errno;
        // A half-written key file would be refused at every later start.
        ::unlink(path.constData());
        return refused(QStringLiteral("cannot write it: ") + systemError(error));
    }
    return {key, {}, true};
}

} // namespace

KeyFileResult keyFromFile(const QString &path) {
    const QByteArray name = path.toLocal8Bit();
    for (int attempt = 0; attempt < 2; ++attempt) {
        // Looked at before it is opened: opening a device (a serial port, a tape) can do things.
        struct stat info {};
        if (::lstat(name.constData(), &info) == 0 && S_ISLNK(info.st_mode))
            return refused(QStringLiteral("it is a symbolic link"));
        if (::lstat(name.constData(), &info) == 0 && !S_ISREG(info.st_mode))
            return refused(QStringLiteral("not a regular file"));
        // Not blocking: a FIFO must not hold the program in open().
        const int fd = ::open(name.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        if (fd >= 0) {
            Descriptor file{fd};
            return readKey(fd);
        }
        if (errno == ELOOP)
            return refused(QStringLiteral("it is a symbolic link"));
        if (errno != ENOENT)
            return refused(systemError(errno));
        bool raced = false;
        KeyFileResult made = makeKeyFile(name, raced);
        if (!raced)
            return made;
    }
    return refused(QStringLiteral("it keeps changing"));
}
