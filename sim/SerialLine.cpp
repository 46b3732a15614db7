#include "SerialLine.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <map>
#include <optional>

namespace gearsim {

namespace {

std::string systemError(const std::string &what) {
    return what + ": " + std::strerror(errno);
}

std::optional<speed_t> standardSpeed(int bitsPerSecond) {
    static const std::map<int, speed_t> speeds = {
        {50, B50},       {75, B75},         {110, B110},       {134, B134},       {150, B150},
        {200, B200},     {300, B300},       {600, B600},       {1200, B1200},     {1800, B1800},
        {2400, B2400},   {4800, B4800},     {9600, B9600},     {19200, B19200},   {38400, B38400},
        {57600, B57600}, {115200, B115200}, {230400, B230400}, {460800, B460800}, {921600, B921600},
    };
    const auto found = speeds.find(bitsPerSecond);
    if (found == speeds.end())
        return std::nullopt;
    return found->second;
}

// Raw 8N1: no echo, no line editing, no CR/LF translation, receiver on, modem lines ignored.
bool makeRaw(int fd, speed_t speed) {
    termios settings{};
    if (tcgetattr(fd, &settings) != 0)
        return false;
    cfmakeraw(&settings);
    settings.c_cflag &= ~(CSTOPB | PARENB | CRTSCTS);
    settings.c_cflag |= CS8 | CLOCAL | CREAD;
    cfsetispeed(&settings, speed);
    cfsetospeed(&settings, speed);
    return tcsetattr(fd, TCSANOW, &settings) == 0;
}

// Opening the slave once sets its raw mode for whoever opens it next, and makes the master report
// a hang-up while no one holds the slave; before a first open the kernel reports none.
bool primeSlave(const char *slavePath) {
    const int slave = ::open(slavePath, O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (slave < 0)
        return false;
    const bool raw = makeRaw(slave, B9600);
    ::close(slave);
    return raw;
}

} // namespace

SerialLine::SerialLine(int fd, std::string path, bool pseudoTerminal)
    : fd_(fd), path_(std::move(path)), pseudoTerminal_(pseudoTerminal) {}

SerialLine::~SerialLine() {
    ::close(fd_);
}

SerialLine::Opened SerialLine::openPseudoTerminal() {
    const int master = posix_openpt(O_RDWR | O_NOCTTY);
    if (master < 0)
        return {nullptr, systemError("cannot create a pseudo-terminal")};
    std::unique_ptr<SerialLine> line(new SerialLine(master, {}, true));
    const char *slavePath = nullptr;
    if (grantpt(master) != 0 || unlockpt(master) != 0 || !(slavePath = ptsname(master)))
        return {nullptr, systemError("cannot unlock the pseudo-terminal")};
    line->path_ = slavePath;
    if (!primeSlave(slavePath))
        return {nullptr, systemError("cannot set up " + line->path_)};
    if (fcntl(master, F_SETFL, fcntl(master, F_GETFL) | O_NONBLOCK) != 0)
        return {nullptr, systemError("cannot make the pseudo-terminal non-blocking")};
    return {std::move(line), {}};
}

SerialLine::Opened SerialLine::openDevice(const std::string &path, int bitsPerSecond) {
    const auto speed = standardSpeed(bitsPerSecond);
    if (!speed)
        return {nullptr, "speed " + std::to_string(bitsPerSecond) +
                             " is not a standard serial speed here (e.g. 9600, 19200, 115200)"};
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (fd < 0)
        return {nullptr, systemError("cannot open " + path)};
    std::unique_ptr<SerialLine> line(new SerialLine(fd, path, false));
    if (!isatty(fd))
        return {nullptr, path + " is not a serial device"};
    if (!makeRaw(fd, *speed))
        return {nullptr, systemError("cannot set " + path + " to raw 8N1")};
    tcflush(fd, TCIOFLUSH);
    return {std::move(line), {}};
}

LineState SerialLine::stateFrom(short revents) const {
    if (revents & (POLLHUP | POLLERR | POLLNVAL))
        return pseudoTerminal_ && !(revents & POLLNVAL) ? LineState::NoReader : LineState::Broken;
    return LineState::ReaderPresent;
}

LineState SerialLine::state() {
    pollfd polled{fd_, POLLIN, 0};
    if (::poll(&polled, 1, 0) < 0)
        return LineState::Broken;
    const LineState now = stateFrom(polled.revents);
    if (now == LineState::ReaderPresent && (polled.revents & POLLIN))
        drainInput();
    return now;
}

void SerialLine::drainInput() {
    char scrap[256];
    while (::read(fd_, scrap, sizeof scrap) > 0) {
    }
}

// Bytes that reached a pseudo-terminal's slave wait in the slave's own input queue, which a
// flush of the master does not reach: the slave is opened for a moment to drop them.
void SerialLine::discardUnread() {
    tcflush(fd_, TCOFLUSH);
    if (!pseudoTerminal_)
        return;
    const int slave = ::open(path_.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (slave >= 0) {
        tcflush(slave, TCIFLUSH);
        ::close(slave);
    }
}

long SerialLine::writeSome(std::string_view bytes) {
    const ssize_t written = ::write(fd_, bytes.data(), bytes.size());
    if (written >= 0)
        return written;
    return errno == EAGAIN || errno == EINTR ? 0 : -1;
}

} // namespace gearsim
