#pragma once

#include <memory>
#include <string>
#include <string_view>

namespace gearsim {

// What the far end of the line is doing right now.
enum class LineState {
    ReaderPresent, // bytes written now will be read
    NoReader,      // pseudo-terminal whose slave nobody holds open: writing would pile up lines
    Broken,        // the device went away
};

// The simulator's end of the line: the master of a new pseudo-terminal, or a serial device.
// Non-blocking; closed when destroyed, which a monitor on a pseudo-terminal sees as a hang-up.
class SerialLine {
public:
    struct Opened {
        std::unique_ptr<SerialLine> line;
        std::string error;
    };

    // A new pseudo-terminal in raw mode. Its slave is opened and closed once here, so that the
    // master reports a hang-up from the start until a reader opens the slave.
    static Opened openPseudoTerminal();
    // A serial device set to raw 8N1 at a standard speed, ignoring the modem lines.
    static Opened openDevice(const std::string &path, int bitsPerSecond);

    ~SerialLine();
    SerialLine(const SerialLine &) = delete;
    SerialLine &operator=(const SerialLine &) = delete;

    int fd() const { return fd_; }
    // The path a reader opens: the slave of the pseudo-terminal, or the device.
    const std::string &path() const { return path_; }
    bool isPseudoTerminal() const { return pseudoTerminal_; }

    // Polls without waiting; also reads and drops whatever the far end sent (echo included),
    // so that nothing backs up towards us.
    LineState state();
    // How a poll result reads for this line.
    LineState stateFrom(short revents) const;
    // Drops bytes written earlier that no one has read yet, so the next reader starts afresh.
    // For a pseudo-terminal, call it once the reader has gone.
    void discardUnread();
    // Writes what the line takes now; returns the number of bytes taken, or -1 when broken.
    long writeSome(std::string_view bytes);

private:
    SerialLine(int fd, std::string path, bool pseudoTerminal);
    void drainInput();

    int fd_;
    std::string path_;
    bool pseudoTerminal_;
};

} // namespace gearsim
