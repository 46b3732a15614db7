#pragma once

#include <QString>

#include <optional>

// Failure numbers the settings file reports to the user. Each number stands for one cause and
// keeps its meaning from release to release, so a number quoted from a message still says what
// went wrong.
namespace FileError {
inline constexpr int Overflow = 6; // an element beyond position 32,767 of its line
inline constexpr int FileNotFound = 53;
inline constexpr int DeviceIo = 57;
inline constexpr int DiskFull = 61;
inline constexpr int TooManyFiles = 67;
inline constexpr int PermissionDenied = 70;
inline constexpr int PathFileAccess = 75;
inline constexpr int PathNotFound = 76;
// Failures found by this program's own checks rather than by the system, each with its own text.
inline constexpr int SettingTooLong = 901; // the file would not read back: the writer refuses
inline constexpr int LineTooLong = 902;    // a line longer than the reader holds
inline constexpr int FolderNotFile = 903;  // a folder stands at the file's name
inline constexpr int SpecialNotFile = 904; // a pipe, device or socket stands at the file's name
// Any other system error keeps its errno above this base, so its number still names the cause
// without colliding with the table.
inline constexpr int UnlistedErrnoBase = 1000;
} // namespace FileError

// The text for a failure number, or nothing when the number has no entry of its own.
std::optional<QString> fileErrorTableText(int number);

// The failure number for an errno met while opening, reading or writing `path`. A missing entry
// counts as a missing folder when the folder that should hold `path` is itself missing.
int fileErrorNumber(int errnoValue, const QString &path);
