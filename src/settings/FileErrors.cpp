#include "settings/FileErrors.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>

#include <cerrno>

std::optional<QString> fileErrorTableText(int number) {
    static const QHash<int, QString> texts{
        {52, QStringLiteral("Bad Filename or Number")},
        {53, QStringLiteral("File not Found")},
        {54, QStringLiteral("Bad File Mode")},
        {55, QStringLiteral("File already open")},
        {57, QStringLiteral("Device I/o problem")},
        {58, QStringLiteral("File already exists")},
        {59, QStringLiteral("Bad Record length")},
        {61, QStringLiteral("Disk full")},
        {62, QStringLiteral("Input past end of file")},
        {63, QStringLiteral("Bad Record Number")},
        {64, QStringLiteral("Bad Filename")},
        {67, QStringLiteral("To many files at the same time")},
        {68, QStringLiteral("Device unavailable")},
        {70, QStringLiteral("Permission denied")},
        {71, QStringLiteral("Disk not ready")},
        {72, QStringLiteral("Disk media error")},
        {74, QStringLiteral("Can't rename files across different drives")},
        {75, QStringLiteral("Path/File access error")},
        {76, QStringLiteral("Path not found")},
        {FileError::SettingTooLong,
         QStringLiteral("A setting is too long to be read back; the file was not changed")},
        {FileError::LineTooLong, QStringLiteral("A line of the file is too long to be read")},
        {FileError::FolderNotFile, QStringLiteral("A folder stands where the file should be")},
        {FileError::SpecialNotFile,
         QStringLiteral("Not a file but a device, pipe or socket; it was not read")},
    };
    const auto found = texts.constFind(number);
    if (found == texts.cend())
        return std::nullopt;
    return *found;
}

int fileErrorNumber(int errnoValue, const QString &path) {
    switch (errnoValue) {
    case ENOENT:
        return QFileInfo(path).absoluteDir().exists() ? FileError::FileNotFound
                                                      : FileError::PathNotFound;
    case EISDIR:
        return FileError::FolderNotFile;
    case ENOTDIR:
        return FileError::PathNotFound;
    case EACCES:
    case EPERM:
        return FileError::PermissionDenied;
    case EROFS:
        return FileError::PathFileAccess;
    case ENOSPC:
    case EDQUOT:
        return FileError::DiskFull;
    case EIO:
        return FileError::DeviceIo;
    case EMFILE:
    case ENFILE:
        return FileError::TooManyFiles;
    default:
        return FileError::UnlistedErrnoBase + errnoValue;
    }
}
