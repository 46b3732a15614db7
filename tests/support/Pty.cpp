#include "Pty.h"

#include <cerrno>
#include <fcntl.h>
#include <stdlib.h>
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
