#pragma once

#include <memory>
#include <string>

namespace gearsim {

// A symbolic link <folder>/comN -> the pseudo-terminal's slave, which makes the monitor in that
// folder list the simulator as port ComN. Removed when destroyed, unless it no longer points at
// the same place (someone replaced it meanwhile).
class OwnedPortLink {
public:
    struct Made {
        std::unique_ptr<OwnedPortLink> link;
        std::string error;
    };

    // Refuses to replace anything but a dangling link (one left behind by a simulator that was
    // killed), so a user's own comN link to a real adapter is never lost.
    static Made create(const std::string &folder, int port, const std::string &target);

    ~OwnedPortLink();
    OwnedPortLink(const OwnedPortLink &) = delete;
    OwnedPortLink &operator=(const OwnedPortLink &) = delete;

    const std::string &path() const { return path_; }

private:
    OwnedPortLink(std::string path, std::string target);

    std::string path_;
    std::string target_;
};

std::string portLinkPath(const std::string &folder, int port);

} // namespace gearsim
