#include "FollowedFile.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

FollowedFile::FollowedFile(const volatile std::sig_atomic_t &stop, Timing timing)
    : stop_(stop), timing_(timing) {}

FollowedFile::~FollowedFile() {
    if (fd_ >= 0)
        ::close(fd_);
}

std::string FollowedFile::open(const std::string &path) {
    // Not blocking: a FIFO opens before any writer has, and a read with nothing to give returns.
    fd_ = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    struct stat st {};
    if (fd_ < 0 || ::fstat(fd_, &st) != 0)
        return "cannot read " + path + ": " + std::strerror(errno);
    if (S_ISDIR(st.st_mode))
        return path + " is a folder, not a recording";
    path_ = path;
    device_ = st.st_dev;
    inode_ = st.st_ino;
    regular_ = S_ISREG(st.st_mode);
    return {};
}

void FollowedFile::setPortClosed(bool closed) {
    portClosed_ = closed;
    quiet_ = 0;
}

std::string FollowedFile::why() const {
    switch (end_) {
    case End::Truncated:
        return path_ + " was truncated while followed";
    case End::Replaced:
        return path_ + " was replaced or removed while followed";
    case End::Unreadable:
        return "cannot read " + path_ + ": " + std::strerror(errno_);
    default:
        return {};
    }
}

FollowedFile::int_type FollowedFile::underflow() {
    while (end_ == End::Reading) {
        // Checked first: a long recording being caught up with stops at once as well.
        if (stop_) {
            end_ = End::Stopped;
        } else if (readMore()) {
            return traits_type::to_int_type(*gptr());
        } else if (end_ != End::Reading) {
            break;
        } else if (portClosed_ && quiet_ >= timing_.quietPolls) {
            end_ = End::Quiet;
        } else if ((end_ = checkFile()) == End::Reading) {
            if (waiting_)
                waiting_();
            // Not sleep_for: a signal ends this wait at once.
            ::poll(nullptr, 0, static_cast<int>(timing_.poll.count()));
            ++quiet_;
        }
    }
    return traits_type::eof();
}

// Whether it read something into the buffer.
bool FollowedFile::readMore() {
    const ssize_t got = ::read(fd_, buffer_, sizeof buffer_);
    if (got > 0) {
        offset_ += got;
        quiet_ = 0;
        portClosed_ = false; // more came after the close: the next event says what it is
        setg(buffer_, buffer_, buffer_ + got);
        return true;
    }
    if (got < 0 && errno != EAGAIN && errno != EINTR) {
        errno_ = errno;
        end_ = End::Unreadable;
    }
    return false;
}

// Reading while the file shrinks, or while another file takes its name, would print a session
// that never was.
FollowedFile::End FollowedFile::checkFile() const {
    struct stat st {};
    if (regular_ && ::fstat(fd_, &st) == 0 && st.st_size < offset_)
        return End::Truncated;
    if (::stat(path_.c_str(), &st) != 0 || st.st_dev != device_ || st.st_ino != inode_)
        return End::Replaced;
    return End::Reading;
}
