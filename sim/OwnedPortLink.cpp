#include "OwnedPortLink.h"

#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

#include <optional>

namespace gearsim {

namespace {

std::optional<std::string> linkTarget(const std::string &path) {
    char buffer[4096];
    const ssize_t length = ::readlink(path.c_str(), buffer, sizeof buffer);
    if (length < 0 || static_cast<std::size_t>(length) == sizeof buffer)
        return std::nullopt;
    return std::string(buffer, static_cast<std::size_t>(length));
}

bool isDanglingLink(const std::string &path) {
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0 && S_ISLNK(info.st_mode) &&
           ::stat(path.c_str(), &info) != 0 && errno == ENOENT;
}

std::string occupiedError(const std::string &path) {
    const auto target = linkTarget(path);
    return path + " already exists" + (target ? " (-> " + *target + ")" : std::string()) +
           "; remove it or choose another --port";
}

} // namespace

std::string portLinkPath(const std::string &folder, int port) {
    std::string path = folder;
    if (path.empty() || path.back() != '/')
        path += '/';
    return path + "com" + std::to_string(port);
}

OwnedPortLink::OwnedPortLink(std::string path, std::string target)
    : path_(std::move(path)), target_(std::move(target)) {}

OwnedPortLink::~OwnedPortLink() {
    if (linkTarget(path_) == target_)
        ::unlink(path_.c_str());
}

OwnedPortLink::Made OwnedPortLink::create(const std::string &folder, int port,
                                          const std::string &target) {
    const std::string path = portLinkPath(folder, port);
    int result = ::symlink(target.c_str(), path.c_str());
    int error = errno;
    if (result != 0 && error == EEXIST && isDanglingLink(path)) {
        ::unlink(path.c_str());
        result = ::symlink(target.c_str(), path.c_str());
        error = errno;
    }
    if (result == 0)
        return {std::unique_ptr<OwnedPortLink>(new OwnedPortLink(path, target)), {}};
    if (error == EEXIST)
        return {nullptr, occupiedError(path)};
    return {nullptr, "cannot create " + path + ": " + std::strerror(error)};
}

} // namespace gearsim
