#include "platform/SettingsFolder.h"

#include <QDir>
#include <QFileInfo>

bool isSystemProgramFolder(const QString &folder) {
    static const QStringList systemFolders = {QStringLiteral("/bin"),
                                              QStringLiteral("/sbin"),
                                              QStringLiteral("/usr/bin"),
                                              QStringLiteral("/usr/sbin"),
                                              QStringLiteral("/usr/games"),
                                              QStringLiteral("/usr/local/bin"),
                                              QStringLiteral("/usr/local/sbin"),
                                              QStringLiteral("/usr/local/games")};
    return systemFolders.contains(QDir::cleanPath(folder));
}

bool isInstallFolder(const QString &folder) {
    const QString name = QFileInfo(QDir::cleanPath(folder)).fileName();
    return name == QLatin1String("bin") || name == QLatin1String("sbin") ||
           isSystemProgramFolder(folder);
}

QString chooseSettingsFolder(const ProgramFolderFacts &facts, const QString &userFolder) {
    // A settings file already beside the program is used where it is, whoever put it there.
    if (facts.holdsSettingsFile)
        return facts.folder;
    if (facts.writable && !isInstallFolder(facts.folder))
        return facts.folder;
    return userFolder;
}
