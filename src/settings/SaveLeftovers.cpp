#include "settings/SaveLeftovers.h"

#include "settings/SettingsFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <cerrno>

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr char kMark[] = ".gear-monitor-save-";
constexpr int kHexDigits = 16;
// Nothing the program writes comes near this; a bigger file is someone else's.
constexpr qint64 kLargestCopy = 1 << 20;

QString prefixOf(const QString &settingsFileName) {
    return QLatin1Char('.') + settingsFileName + QLatin1String(kMark);
}

// The first line of every file the program writes, whatever the settings.
QByteArray firstLine() {
    const QByteArray file = formatSettingsFile({}, {}, QDateTime(), QLocale::c());
    return file.left(file.indexOf('\n') + 1);
}

bool processRuns(qint64 pid) {
    return ::kill(pid_t(pid), 0) == 0 || errno == EPERM;
}

// A regular file of this user, reached without following a link or waiting on a pipe, that
// holds nothing but a beginning of a settings file (a copy cut short may hold any part of it).
bool isOwnCutCopy(const QString &path) {
    const int fd = ::open(QFile::encodeName(path).constData(),
                          O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat st {};
    bool own = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_uid == ::geteuid() &&
               st.st_size <= kLargestCopy;
    if (own) {
        const QByteArray expected = firstLine();
        QByteArray head(expected.size(), '\0');
        const ssize_t size = ::read(fd, head.data(), size_t(head.size()));
        own = size >= 0 && expected.startsWith(head.left(size));
    }
    ::close(fd);
    return own;
}

} // namespace

QString saveCopyName(const QString &settingsFileName, qint64 pid, quint64 random) {
    return prefixOf(settingsFileName) + QString::number(pid) + QLatin1Char('-') +
           QStringLiteral("%1").arg(random, kHexDigits, 16, QLatin1Char('0'));
}

qint64 saveCopyProcess(const QString &name, const QString &settingsFileName) {
    static const QRegularExpression rest(
        QStringLiteral("\\A([1-9][0-9]{0,9})-[0-9a-f]{%1}\\z").arg(kHexDigits));
    const QString prefix = prefixOf(settingsFileName);
    if (!name.startsWith(prefix))
        return 0;
    const QRegularExpressionMatch match = rest.match(QStringView(name).mid(prefix.size()));
    return match.hasMatch() ? match.captured(1).toLongLong() : 0;
}

QStringList removeInterruptedSaves(const QString &settingsPath) {
    const QFileInfo settings(settingsPath);
    const QString folder = settings.absolutePath();
    QStringList removed;
    const QStringList names =
        QDir(folder).entryList({prefixOf(settings.fileName()) + QLatin1Char('*')},
                               QDir::AllEntries | QDir::Hidden | QDir::System |
                                   QDir::CaseSensitive | QDir::NoDotAndDotDot);
    for (const QString &name : names) {
        const qint64 pid = saveCopyProcess(name, settings.fileName());
        if (pid == 0 || processRuns(pid))
            continue;
        const QString path = folder + QLatin1Char('/') + name;
        // unlink never follows a link and refuses a folder.
        if (isOwnCutCopy(path) && ::unlink(QFile::encodeName(path).constData()) == 0)
            removed << name;
    }
    return removed;
}
