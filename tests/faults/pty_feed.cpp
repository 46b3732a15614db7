// pty-feed LINK: a pseudo-terminal that plays a device sending whatever arrives on standard
// input, byte for byte. Links LINK to the terminal's path, prints that path, copies standard
// input to it and, at the end of the input, holds the line open until SIGTERM or SIGINT (then
// removes LINK). Used by the fault scripts for bytes no controller would send.
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <unistd.h>

namespace {

volatile sig_atomic_t stopRequested = 0;

void onStop(int) {
    stopRequested = 1;
}

bool writeAll(int fd, const char *bytes, ssize_t size) {
    while (size > 0) {
        const ssize_t written = write(fd, bytes, size);
        if (written < 0 && errno == EINTR && !stopRequested)
            continue;
        if (written <= 0)
            return false;
        bytes += written;
        size -= written;
    }
    return true;
}

} // namespace

int main(int argc, char *argv[]) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: pty-feed LINK\n");
        return 2;
    }
    struct sigaction action {};
    action.sa_handler = onStop;
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);

    const int master = posix_openpt(O_RDWR | O_NOCTTY);
    if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0) {
        std::perror("pty-feed: pseudo-terminal");
        return 1;
    }
    const char *path = ptsname(master);
    unlink(argv[1]);
    if (symlink(path, argv[1]) != 0) {
        std::perror("pty-feed: link");
        return 1;
    }
    std::printf("%s\n", path);
    std::fflush(stdout);

    char buffer[65536];
    int status = 0;
    while (!stopRequested) {
        const ssize_t size = read(STDIN_FILENO, buffer, sizeof buffer);
        if (size < 0 && errno == EINTR)
            continue;
        if (size <= 0)
            break;
        if (!writeAll(master, buffer, size)) {
            status = stopRequested ? 0 : 1;
            break;
        }
    }
    while (!stopRequested)
        pause();
    unlink(argv[1]);
    close(master);
    return status;
}
