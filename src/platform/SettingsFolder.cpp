#include "platform/SettingsFolder.h"

#include <QDir>

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

QString chooseSettingsFolder(const ProgramFolderFacts &facts, const QString &userFolder) {
    // A settings file already beside the program is used where it is, whoever put it there.
    if (facts.holdsSettingsFile)
        return facts.folder;
    if (facts.writable && !isSystemProgramFolder(facts.folder))
        return facts.folder;
    return userFolder;
}
