#pragma once

#include <chrono>
#include <csignal>
#include <functional>
#include <streambuf>
#include <string>
#include <sys/types.h>

// A recording read while the monitor still writes it: at the end of what is written so far it
// waits for more instead of ending, so that a line being written is read whole once it is
// finished. It holds one buffer; the recording's reader above it holds at most one line. A FIFO
// is followed as a file is, through writers that come and go.
//
// It ends (and its reader sees the end of the file) when asked to stop, when the recording said
// the port closed and nothing more came for a while (a reopening writes `open` soon after), and
// when the file is truncated or replaced, which it names as damage.
class FollowedFile : public std::streambuf {
public:
    enum class End { Reading, Stopped, Quiet, Truncated, Replaced, Unreadable };
    struct Timing {
        std::chrono::milliseconds poll{200}; // between looks at the end of the file
        int quietPolls = 10;                 // looks with nothing new after a close: 2 s
    };

    // `stop`: set by a signal handler when the follower is to end.
    FollowedFile(const volatile std::sig_atomic_t &stop, Timing timing);
    ~FollowedFile() override;
    FollowedFile(const FollowedFile &) = delete;
    FollowedFile &operator=(const FollowedFile &) = delete;

    // Opens the recording at `path`; an empty text when it opened, else why not. A file that does
    // not exist yet is refused: the monitor creates it as it starts recording.
    std::string open(const std::string &path);
    // Whether the last event read said the port closed, so that quiet now ends the recording.
    void setPortClosed(bool closed);
    // Called each time it has read all that is written, before it waits: gear-log flushes what
    // it printed, a test writes the next part of the file.
    void onWait(std::function<void()> waiting) { waiting_ = std::move(waiting); }

    End end() const { return end_; }
    // Why it ended, for Truncated, Replaced and Unreadable.
    std::string why() const;

protected:
    int_type underflow() override;

private:
    bool readMore();
    End checkFile() const;

    const volatile std::sig_atomic_t &stop_;
    Timing timing_;
    std::function<void()> waiting_;
    std::string path_;
    int fd_ = -1;
    dev_t device_ = 0;
    ino_t inode_ = 0;
    bool regular_ = false;
    off_t offset_ = 0;
    int errno_ = 0;
    bool portClosed_ = false;
    int quiet_ = 0;
    End end_ = End::Reading;
    char buffer_[64 * 1024];
};
