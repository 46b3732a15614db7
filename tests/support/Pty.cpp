#include "Pty.h"

#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

Pty::Pty() {
    master_ = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (master_ < 0)
        return;
    const char *name = nullptr;
    if (grantpt(master_) != 0 || unlockpt(master_) != 0 || !(name = ptsname(master_))) {
        close();
        return;
    }
    devicePath_ = QString::fromLocal8Bit(name);
}

Pty::~Pty() {
    close();
}

bool Pty::write(const QByteArray &bytes) {
    qsizetype done = 0;
    while (isOpen() && done < bytes.size()) {
        const ssize_t n = ::write(master_, bytes.constData() + done, size_t(bytes.size() - done));
        if (n > 0) {
            done += n;
        } else if (!(n < 0 && errno == EINTR)) {
            return false;
        }
    }
    return isOpen() && done == bytes.size();
}

void Pty::close() {
    if (master_ >= 0)
        ::close(master_);
    master_ = -1;
}

// Terminal ioctls on the master side reach the device side's settings.
bool Pty::echoesAndEditsLines() const {
    termios settings{};
    if (!isOpen() || tcgetattr(master_, &settings) != 0)
        return false;
    return (settings.c_lflag & ECHO) && (settings.c_lflag & ICANON);
}

bool Pty::watchSettings() {
    int on = 1;
    return isOpen() && ::ioctl(master_, TIOCPKT, &on) == 0;
}

// A change is a packet of its own, its status byte alone, waiting to be read.
bool Pty::settingsChangedSinceWatched() {
    unsigned char packet[256];
    ssize_t n = 0;
    bool changed = false;
    while (isOpen() && (n = ::read(master_, packet, sizeof packet)) > 0)
        changed = changed || (packet[0] & (TIOCPKT_NOSTOP | TIOCPKT_DOSTOP)) != 0;
    return changed;
}

namespace {

// In the child, between fork and _exit: only async-signal-safe calls.
[[noreturn]] void holdInChild(const char *path, PtyHolder::As as, int report) {
    for (int fd = 0; fd < 1024; ++fd) {
        if (fd != report)
            ::close(fd);
    }
    int flags = O_RDWR | O_NONBLOCK;
    if (as == PtyHolder::As::SessionTerminal)
        ::setsid(); // the first terminal a session leader opens becomes its controlling terminal
    else
        flags |= O_NOCTTY;
    const char held = ::open(path, flags) >= 0 ? 1 : 0;
    (void)!::write(report, &held, 1);
    ::close(report);
    for (;;)
        ::pause();
}

} // namespace

PtyHolder::PtyHolder(const QString &devicePath, As as) {
    const QByteArray path = QFile::encodeName(devicePath);
    int report[2];
    if (::pipe(report) != 0)
        return;
    const pid_t child = ::fork();
    if (child == 0)
        holdInChild(path.constData(), as, report[1]);
    ::close(report[1]);
    pid_ = child;
    char held = 0;
    while (child > 0 && ::read(report[0], &held, 1) < 0 && errno == EINTR) {
    }
    ::close(report[0]);
    holding_ = held == 1;
}

PtyHolder::~PtyHolder() {
    if (pid_ <= 0)
        return;
    ::kill(pid_t(pid_), SIGKILL);
    while (::waitpid(pid_t(pid_), nullptr, 0) < 0 && errno == EINTR) {
    }
}
