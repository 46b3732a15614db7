// Reading and writing the settings file. Every failure is turned into a failure number from the
// errno of the call that failed, so it must be read right after that call.
#include "settings/FileErrors.h"
#include "settings/SettingsFile.h"

#include "platform/Logging.h"
#include "settings/SaveLeftovers.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cerrno>
#include <utility>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Splits bytes into Latin-1 lines and scans each into the record. CR LF, a lone LF and a lone CR
// each end a line, so files edited by hand on any system read the same as the CR LF files this
// program writes. No line is held beyond kMaxSettingsLineLength bytes.
class SettingsReader {
public:
    explicit SettingsReader(PortSettingsRecord &s) : s_(s) {}

    // 0, or the failure number of the first line these bytes complete that cannot be read.
    int feed(const char *bytes, qint64 size) {
        for (qint64 i = 0; i < size; ++i) {
            const char c = bytes[i];
            const bool lfOfCrLf = afterCr_ && c == '\n';
            afterCr_ = c == '\r';
            if (lfOfCrLf)
                continue;
            if (c != '\r' && c != '\n') {
                if (partial_.size() == kMaxSettingsLineLength)
                    return FileError::LineTooLong;
                partial_ += c;
            } else if (const int failure = takeLine()) {
                return failure;
            }
        }
        return 0;
    }

    // The last line needs no terminator.
    int finish() { return partial_.isEmpty() ? 0 : takeLine(); }

private:
    int takeLine() {
        const ScanResult scan = scanSettingsLine(QString::fromLatin1(partial_));
        partial_.clear();
        if (scan.kind == ScanResult::Overflow)
            return FileError::Overflow;
        if (scan.kind == ScanResult::Element)
            applySettingsElement(s_, scan.tag, scan.value);
        return 0;
    }

    PortSettingsRecord &s_;
    QByteArray partial_;
    bool afterCr_ = false;
};

// errno of the call that just failed. Qt refuses to open a folder as a file without setting
// errno; that case is named as the system would name it.
int failureNumber(int errnoValue, const QString &path) {
    if (errnoValue == 0 && QFileInfo(path).isDir())
        errnoValue = EISDIR;
    return fileErrorNumber(errnoValue, path);
}

// 0 for a regular file, else the failure number for what stands there: a pipe would block the
// open until a writer comes, a device like /dev/zero never ends.
int regularFileCheck(const struct stat &st) {
    if (S_ISREG(st.st_mode))
        return 0;
    return S_ISDIR(st.st_mode) ? FileError::FolderNotFile : FileError::SpecialNotFile;
}

class FileDescriptor {
public:
    explicit FileDescriptor(int fd = -1) : fd_(fd) {}
    ~FileDescriptor() {
        if (fd_ >= 0)
            ::close(fd_);
    }
    FileDescriptor(const FileDescriptor &) = delete;
    FileDescriptor &operator=(const FileDescriptor &) = delete;
    int get() const { return fd_; }
    void reset(int fd) {
        if (fd_ >= 0)
            ::close(fd_);
        fd_ = fd;
    }
    // Closes it now; false (errno set) when the system reports that the data did not make it.
    bool close() {
        const int fd = std::exchange(fd_, -1);
        return ::close(fd) == 0 || errno == EINTR;
    }

private:
    int fd_;
};

// A settings file reached through a link is replaced where it lies, and the link stays. A loop
// of links is replaced as it stands.
QString linkTarget(const QString &path) {
    QFileInfo info(path);
    for (int depth = 0; depth < 40; ++depth) {
        if (!info.isSymLink())
            return info.filePath();
        info.setFile(info.symLinkTarget());
    }
    return path;
}

// The temporary copy a save writes, beside the file it will replace, under a name only this
// program makes (SaveLeftovers.h). It is removed again unless it was renamed over the file.
class SaveCopy {
public:
    ~SaveCopy() {
        fd_.reset(-1);
        if (!path_.isEmpty())
            ::unlink(path_.constData());
    }

    // Creates the copy, never opening anything that is already there; errno on failure.
    bool create(const QString &target, mode_t mode) {
        const QFileInfo info(target);
        for (int attempt = 0; attempt < 16; ++attempt) {
            const QString name = saveCopyName(info.fileName(), QCoreApplication::applicationPid(),
                                              QRandomGenerator::system()->generate64());
            const QByteArray path = QFile::encodeName(info.dir().filePath(name));
            const int fd =
                ::open(path.constData(),
                       O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_NOCTTY | O_CLOEXEC, mode);
            if (fd >= 0) {
                fd_.reset(fd);
                path_ = path;
                return true;
            }
            if (errno != EEXIST)
                return false;
        }
        return false;
    }

    // Every byte, or false with errno. A full disk may take part of a write without an error;
    // the next write then reports it.
    bool write(const QByteArray &content) {
        for (qsizetype done = 0; done < content.size();) {
            const ssize_t n =
                ::write(fd_.get(), content.constData() + done, size_t(content.size() - done));
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0) {
                if (n == 0)
                    errno = ENOSPC;
                return false;
            }
            done += n;
        }
        return true;
    }

    // On the disk, with the mode of the file it replaces, and closed; false with errno.
    bool finish(const struct stat *replaced) {
        if (replaced && ::fchmod(fd_.get(), replaced->st_mode & 07777) != 0)
            return false;
        return ::fsync(fd_.get()) == 0 && fd_.close();
    }

    bool renameOver(const QString &target) {
        if (::rename(path_.constData(), QFile::encodeName(target).constData()) != 0)
            return false;
        path_.clear();
        return true;
    }

private:
    FileDescriptor fd_;
    QByteArray path_;
};

// The rename is kept across a power cut only once the folder is on the disk too. A file system
// that cannot sync a folder (EINVAL) keeps it by other means; a folder the user may write but
// not read cannot be opened for it, and the rename stands all the same.
bool syncFolder(const QString &folder) {
    const FileDescriptor fd(
        ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    return fd.get() < 0 || ::fsync(fd.get()) == 0 || errno == EINVAL;
}

} // namespace

int writeSettingsFile(const QString &path, const QByteArray &content) {
    // The content goes to a temporary copy that replaces the old file only when it is whole and
    // on the disk, so a full disk, an I/O error or a kill never leaves a cut-off settings file.
    const QString target = linkTarget(path);
    struct stat old {};
    const bool replacing = ::stat(QFile::encodeName(target).constData(), &old) == 0;
    // A folder, pipe or device where the file should be (a link to /dev/null, say) is never
    // replaced.
    if (replacing) {
        if (const int failure = regularFileCheck(old))
            return failure;
        // A file made read-only is kept so, as its owner meant it.
        if (::access(QFile::encodeName(target).constData(), W_OK) != 0)
            return failureNumber(errno, path);
    }
    SaveCopy copy;
    errno = 0;
    // Until it has the old file's mode, only its owner may read it.
    if (!copy.create(target, replacing ? 0600 : 0666) || !copy.write(content) ||
        !copy.finish(replacing ? &old : nullptr) || !copy.renameOver(target))
        return failureNumber(errno, path);
    if (!syncFolder(QFileInfo(target).absolutePath()))
        return failureNumber(errno, path);
    qCInfo(gearSettings) << "wrote" << path;
    return 0;
}

int saveSettingsFile(const QString &path, const QByteArray &content) {
    PortSettingsRecord readBack;
    if (readSettingsBytes(content, readBack) != 0)
        return FileError::SettingTooLong;
    return writeSettingsFile(path, content);
}

int readSettingsBytes(const QByteArray &bytes, PortSettingsRecord &s) {
    SettingsReader reader(s);
    if (const int failure = reader.feed(bytes.constData(), bytes.size()))
        return failure;
    return reader.finish();
}

int readSettingsFile(const QString &path, PortSettingsRecord &s) {
    const QByteArray name = QFile::encodeName(path);
    struct stat st {};
    if (::stat(name.constData(), &st) != 0)
        return failureNumber(errno, path);
    if (const int failure = regularFileCheck(st))
        return failure;
    // Non-blocking, so that a pipe put there after the look above cannot hold the open; the
    // look is repeated on what was opened.
    const FileDescriptor fd(::open(name.constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (fd.get() < 0)
        return failureNumber(errno, path);
    if (::fstat(fd.get(), &st) != 0)
        return failureNumber(errno, path);
    if (const int failure = regularFileCheck(st))
        return failure;

    SettingsReader reader(s);
    char buffer[4096];
    for (;;) {
        const ssize_t size = ::read(fd.get(), buffer, sizeof buffer);
        if (size < 0 && errno == EINTR)
            continue;
        if (size < 0)
            return failureNumber(errno, path);
        if (size == 0)
            break;
        if (const int failure = reader.feed(buffer, size))
            return failure;
    }
    const int failure = reader.finish();
    if (failure == 0)
        qCInfo(gearSettings) << "read" << path;
    return failure;
}
