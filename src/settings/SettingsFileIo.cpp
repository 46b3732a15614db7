// Reading and writing the settings file. Every failure is turned into a failure number from the
// errno of the call that failed, so it must be read right after that call.
#include "settings/FileErrors.h"
#include "settings/SettingsFile.h"

#include "platform/Logging.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <cerrno>

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

// Drops the half-written copy; the previous file stays as it was.
int abandonWrite(QSaveFile &file, int errnoValue, const QString &path) {
    file.cancelWriting();
    file.commit(); // returns false after cancelWriting(); it only discards the temporary copy
    return failureNumber(errnoValue, path);
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
    explicit FileDescriptor(int fd) : fd_(fd) {}
    ~FileDescriptor() {
        if (fd_ >= 0)
            ::close(fd_);
    }
    FileDescriptor(const FileDescriptor &) = delete;
    FileDescriptor &operator=(const FileDescriptor &) = delete;
    int get() const { return fd_; }

private:
    int fd_;
};

} // namespace

int writeSettingsFile(const QString &path, const QByteArray &content) {
    // The content goes to a temporary file that replaces the old one only when it is whole, so a
    // full disk or an I/O error never leaves a cut-off settings file behind.
    QSaveFile file(path);
    errno = 0;
    if (!file.open(QIODevice::WriteOnly))
        return failureNumber(errno, path);
    // A short write on a full disk can come back without an error; check every step.
    errno = 0;
    if (file.write(content) != content.size())
        return abandonWrite(file, errno, path);
    errno = 0;
    if (!file.flush() || file.error() != QFileDevice::NoError)
        return abandonWrite(file, errno, path);
    errno = 0;
    if (!file.commit())
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
