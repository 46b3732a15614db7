#include "settings/SaveLeftovers.h"

#include "settings/SettingsFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

constexpr int kRandomLetters = 6;
// Nothing the program writes comes near this; a bigger file is someone else's.
constexpr qint64 kLargestCopy = 1 << 20;

// The first line of every file the program writes, whatever the settings.
QByteArray firstLine() {
    const QByteArray file = formatSettingsFile({}, {}, QDateTime(), QLocale::c());
    return file.left(file.indexOf('\n') + 1);
}

bool isRandomSuffix(const QString &suffix) {
    if (suffix.size() != kRandomLetters)
        return false;
    bool upper = false;
    bool lower = false;
    for (const QChar c : suffix) {
        if (c.unicode() >= 'A' && c.unicode() <= 'Z')
            upper = true;
        else if (c.unicode() >= 'a' && c.unicode() <= 'z')
            lower = true;
        else if (c.unicode() < '0' || c.unicode() > '9')
            return false;
    }
    return upper && lower;
}

// A copy cut short may hold any part of the first line, or nothing.
bool beginsAsASettingsFile(const QString &path) {
    const QByteArray expected = firstLine();
    QFile file(path);
    return file.open(QIODevice::ReadOnly) && expected.startsWith(file.read(expected.size()));
}

} // namespace

QStringList removeInterruptedSaves(const QString &settingsPath) {
    const QFileInfo settings(settingsPath);
    const QString folder = settings.absolutePath();
    const QString prefix = settings.fileName() + QLatin1Char('.');
    QStringList removed;
    const QStringList candidates =
        QDir(folder).entryList({prefix + QString(kRandomLetters, QLatin1Char('?'))},
                               QDir::Files | QDir::Hidden | QDir::System | QDir::CaseSensitive);
    for (const QString &name : candidates) {
        const QString path = folder + QLatin1Char('/') + name;
        const QFileInfo info(path);
        if (info.isSymLink() || !info.isFile() || info.size() > kLargestCopy)
            continue;
        if (!isRandomSuffix(name.mid(prefix.size())) || !beginsAsASettingsFile(path))
            continue;
        if (QFile::remove(path))
            removed << name;
    }
    return removed;
}
