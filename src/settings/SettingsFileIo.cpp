// Reading and writing the settings file. Every failure is turned into a failure number from the
// errno of the call that failed, so it must be read right after that call.
#include "settings/FileErrors.h"
#include "settings/SettingsFile.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <cerrno>
#include <functional>

namespace {

// Splits bytes into Latin-1 lines. CR LF, a lone LF and a lone CR each end a line, so files
// edited by hand on any system read the same as the CR LF files this program writes.
class LineSplitter {
public:
    using LineHandler = std::function<bool(const QString &line)>;

    explicit LineSplitter(LineHandler onLine) : onLine_(std::move(onLine)) {}

    // Hands on every line the bytes complete; false as soon as the handler refuses one.
    bool feed(const char *bytes, qint64 size) {
        for (qint64 i = 0; i < size; ++i) {
            const char c = bytes[i];
            const bool lfOfCrLf = afterCr_ && c == '\n';
            afterCr_ = c == '\r';
            if (lfOfCrLf)
                continue;
            if (c != '\r' && c != '\n') {
                partial_ += c;
            } else if (!emitLine()) {
                return false;
            }
        }
        return true;
    }

    // The last line needs no terminator.
    bool finish() { return partial_.isEmpty() || emitLine(); }

private:
    bool emitLine() {
        const QString line = QString::fromLatin1(partial_);
        partial_.clear();
        return onLine_(line);
    }

    LineHandler onLine_;
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
    return 0;
}

int readSettingsFile(const QString &path, PortSettingsRecord &s) {
    QFile file(path);
    errno = 0;
    if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        return failureNumber(errno, path);

    // The handler refuses a line only when its positions overflow.
    LineSplitter lines([&s](const QString &line) {
        const ScanResult scan = scanSettingsLine(line);
        if (scan.kind == ScanResult::Element)
            applySettingsElement(s, scan.tag, scan.value);
        return scan.kind != ScanResult::Overflow;
    });

    char buffer[4096];
    for (;;) {
        errno = 0;
        const qint64 size = file.read(buffer, sizeof buffer);
        if (size < 0)
            return failureNumber(errno, path);
        if (size == 0)
            break;
        if (!lines.feed(buffer, size))
            return FileError::Overflow;
    }
    return lines.finish() ? 0 : FileError::Overflow;
}
