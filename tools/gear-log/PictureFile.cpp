#include "PictureFile.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>

namespace {

bool endsWithNoCase(const std::string &text, std::string_view ending) {
    return text.size() >= ending.size() &&
           std::equal(ending.begin(), ending.end(), text.end() - std::ptrdiff_t(ending.size()),
                      [](char a, char b) { return a == (b | 0x20); });
}

std::string folderOf(const std::string &path) {
    const auto slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// Whether the regular file is a picture of the kind its name says (it starts as a PNG or an SVG
// does) holding `mark` near its start. Opened without following a link and without waiting, in
// case it was swapped since it was looked at.
bool carriesMark(const std::string &path, const std::string &mark) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat info {};
    std::string head(64 * 1024, '\0');
    ssize_t got = 0;
    if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode))
        got = ::read(fd, head.data(), head.size());
    ::close(fd);
    head.resize(std::size_t(std::max<ssize_t>(got, 0)));
    const std::string_view start = endsWithNoCase(path, ".png") ? "\x89PNG\r\n\x1a\n" : "<?xml";
    return head.compare(0, start.size(), start) == 0 && head.find(mark) != std::string::npos;
}

} // namespace

std::string refusedPicturePath(const std::string &path, const std::string &mark) {
    if (!endsWithNoCase(path, ".svg") && !endsWithNoCase(path, ".png"))
        return "--plot: the picture's name must end in .svg or .png";
    const std::string named = "--plot: " + path;
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0) {
        if (errno != ENOENT)
            return named + ": " + std::strerror(errno);
        struct stat folder {};
        if (::stat(folderOf(path).c_str(), &folder) != 0 || !S_ISDIR(folder.st_mode))
            return named + ": there is no folder " + folderOf(path);
        return {};
    }
    if (S_ISLNK(info.st_mode)) {
        struct stat target {};
        return named + (::stat(path.c_str(), &target) == 0
                            ? " is a symbolic link: give the picture's own name"
                            : " is a symbolic link that leads nowhere");
    }
    if (S_ISDIR(info.st_mode))
        return named + " is a folder";
    if (S_ISFIFO(info.st_mode))
        return named + " is a FIFO: a picture is written to a file";
    if (!S_ISREG(info.st_mode))
        return named + " is a device or socket, not a file";
    if (!carriesMark(path, mark))
        return named + " exists and is not a picture gear-log made: give a new name";
    return {};
}

std::string refusedPlotRecording(const std::string &path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0 || S_ISREG(info.st_mode) || S_ISDIR(info.st_mode))
        return {};
    return "--plot reads the recording twice: " + path + " is not a regular file";
}
