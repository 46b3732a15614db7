#pragma once

#include <QString>

// Where the monitor keeps its settings file and its comN links.
//
// A copy of the program in a folder of its own (a build folder, an unpacked archive, a USB stick)
// keeps them beside its executable, so it can be carried around whole. An installed program
// shares the `bin` folder of its install prefix with other programs (/usr/bin, but also
// ~/.local/bin, which its user may write), so it keeps them in the user's configuration folder
// instead; so does any copy whose folder the user may not write. A settings file already beside
// the program is used where it is.

// What is known of the program's folder when the choice is made.
struct ProgramFolderFacts {
    QString folder;
    bool holdsSettingsFile = false;
    bool writable = false;
};

// The program's folder or `userFolder`.
QString chooseSettingsFolder(const ProgramFolderFacts &facts, const QString &userFolder);

// A folder that system packages install programs into, such as /usr/bin: never the program's own,
// even for root, who may write there.
bool isSystemProgramFolder(const QString &folder);

// A folder programs are installed into: a system one, or the `bin` or `sbin` folder of any
// install prefix (~/.local/bin, /opt/gear/bin).
bool isInstallFolder(const QString &folder);
