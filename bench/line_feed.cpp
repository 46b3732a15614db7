// bench-line-feed: plays a controller on a pseudo-terminal at a steady line rate and measures the
// process that reads it.
//
//   bench-line-feed --link LINK --rate LINES_PER_S|max [--warmup S] [--seconds S]
//
// Links LINK to a new pseudo-terminal (as the simulator links comN in the monitor's folder) and
// prints the terminal's path. Once another process holds the terminal open (the reader, whatever
// it is), it sends frames of five status lines (version, cycle count, relays, outputs, inputs;
// CR LF after each, 12.6 bytes a line) for WARMUP seconds (default 2), then measures over SECONDS
// (default 10): the reader's processor time (utime + stime from /proc), the lines sent, the bytes
// not yet read, the reader's resident memory at both ends. At a rate the lines are spread evenly
// in time, one write each; with "max" whole frames are written, 4 KB at a time, as fast as the
// reader takes them.
// The cycle count rises by one per frame and the flags change with it, so no two frames are alike.
// Prints one line of key=value pairs at the end; the window's ends are in milliseconds on the
// monotonic clock, the clock of the monitor's tick log.
#include <cerrno>
#include <cinttypes>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <string>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

namespace {

volatile sig_atomic_t stopRequested = 0;
void onStop(int) {
    stopRequested = 1;
}

int64_t nowNs() {
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return int64_t(t.tv_sec) * 1000000000 + t.tv_nsec;
}

void sleepUntil(int64_t ns) {
    const timespec t{time_t(ns / 1000000000), long(ns % 1000000000)};
    while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &t, nullptr) == EINTR &&
           !stopRequested) {
    }
}

// The five records of frame `n`, as the controller sends them.
std::string frame(uint64_t n) {
    const auto bit = [n](int k) { return char('0' + ((n >> k) & 1)); };
    char text[128];
    std::snprintf(text, sizeof text,
                  "V:2.2.0\r\nC:%" PRIu64 "\r\nF:11100\r\nO:%c%c%c%c%c%c\r\n"
                  "I:%c%c%c%c%c%c%c%c %c%c%c%c%c%c%c%c %c%c\r\n",
                  1000000 + n, bit(0), bit(1), bit(2), bit(3), bit(4), bit(5), bit(1), bit(0),
                  bit(3), bit(2), bit(5), bit(4), bit(7), bit(6), bit(0), bit(2), bit(4), bit(6),
                  bit(1), bit(3), bit(5), bit(7), bit(0), bit(1));
    return text;
}

struct ProcessSample {
    long long cpuTicks = 0;
    long rssKb = 0;
};

bool sampleProcess(pid_t pid, ProcessSample &s) {
    char path[64], buffer[1024];
    std::snprintf(path, sizeof path, "/proc/%d/stat", int(pid));
    FILE *f = std::fopen(path, "r");
    if (!f)
        return false;
    buffer[std::fread(buffer, 1, sizeof buffer - 1, f)] = 0;
    std::fclose(f);
    const char *afterName = std::strrchr(buffer, ')');
    unsigned long long utime = 0, stime = 0;
    // After the name: state, then utime and stime are the 12th and 13th fields.
    if (!afterName ||
        std::sscanf(afterName + 2, "%*c %*d %*d %*d %*d %*d %*u %*u %*u %*u %*u %llu %llu", &utime,
                    &stime) != 2)
        return false;
    s.cpuTicks = (long long)(utime + stime);
    std::snprintf(path, sizeof path, "/proc/%d/status", int(pid));
    if (!(f = std::fopen(path, "r")))
        return false;
    while (std::fgets(buffer, sizeof buffer, f) &&
           std::sscanf(buffer, "VmRSS: %ld", &s.rssKb) != 1) {
    }
    std::fclose(f);
    return true;
}

bool holdsFile(pid_t pid, const std::string &path) {
    char dirName[64];
    std::snprintf(dirName, sizeof dirName, "/proc/%d/fd", int(pid));
    DIR *dir = opendir(dirName);
    if (!dir)
        return false;
    bool found = false;
    while (const dirent *e = readdir(dir)) {
        const std::string fd = std::string(dirName) + '/' + e->d_name;
        char target[256];
        const ssize_t n = readlink(fd.c_str(), target, sizeof target - 1);
        if (n > 0 && path.compare(0, std::string::npos, target, size_t(n)) == 0) {
            found = true;
            break;
        }
    }
    closedir(dir);
    return found;
}

// The first process other than this one that holds `terminal` open.
pid_t waitForReader(const std::string &terminal) {
    while (!stopRequested) {
        DIR *proc = opendir("/proc");
        pid_t reader = 0;
        while (const dirent *e = proc ? readdir(proc) : nullptr) {
            const pid_t pid = pid_t(std::atoi(e->d_name));
            if (pid > 0 && pid != getpid() && holdsFile(pid, terminal)) {
                reader = pid;
                break;
            }
        }
        if (proc)
            closedir(proc);
        if (reader)
            return reader;
        usleep(50000);
    }
    return 0;
}

constexpr size_t kMaxChunkBytes = 4096;

// Writes to the non-blocking master side; what the reader has no room for yet waits in `pending`
// and counts as unread.
struct Sender {
    Sender(int masterSide, double linesPerSecond) : master(masterSide), rate(linesPerSecond) {}
    int master;
    double rate; // lines a second; 0: as fast as the reader takes them
    uint64_t frameNumber = 0;
    std::string frameText, pending;
    size_t frameAt = 0;
    uint64_t lines = 0;
    int64_t next = 0;

    std::string nextLine() {
        if (frameAt == frameText.size()) {
            frameText = frame(frameNumber++);
            frameAt = 0;
        }
        const size_t end = frameText.find('\n', frameAt) + 1;
        std::string line = frameText.substr(frameAt, end - frameAt);
        frameAt = end;
        return line;
    }

    void flush() {
        while (!pending.empty()) {
            const ssize_t n = write(master, pending.data(), pending.size());
            if (n <= 0)
                return;
            for (ssize_t i = 0; i < n; ++i)
                lines += pending[size_t(i)] == '\n';
            pending.erase(0, size_t(n));
        }
    }

    void runUntil(int64_t until) {
        const int64_t period = rate > 0 ? int64_t(1e9 / rate) : 0;
        if (next == 0)
            next = nowNs();
        while (!stopRequested && nowNs() < until) {
            if (rate > 0) {
                if (next >= until)
                    break;
                sleepUntil(next);
                next += period;
                pending += nextLine();
            } else if (pending.empty()) {
                // Whole frames, a terminal's buffer at a time: the writer's own share of the
                // processors stays small beside the reader's.
                while (pending.size() < kMaxChunkBytes)
                    for (int i = 0; i < 5; ++i)
                        pending += nextLine();
            }
            flush();
            if (rate <= 0 && !pending.empty()) {
                pollfd p{master, POLLOUT, 0};
                poll(&p, 1, 50);
            }
        }
    }

    long unread(int terminal) const {
        int queued = 0;
        ioctl(terminal, FIONREAD, &queued);
        return long(queued) + long(pending.size());
    }
};

struct Options {
    const char *link = nullptr;
    double rate = -1;
    double warmup = 2;
    double seconds = 10;
};

bool parse(int argc, char *argv[], Options &o) {
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string key = argv[i], value = argv[i + 1];
        if (key == "--link")
            o.link = argv[i + 1];
        else if (key == "--rate")
            o.rate = value == "max" ? 0 : std::atof(value.c_str());
        else if (key == "--warmup")
            o.warmup = std::atof(value.c_str());
        else if (key == "--seconds")
            o.seconds = std::atof(value.c_str());
        else
            return false;
    }
    return argc % 2 == 1 && o.link && o.rate >= 0 && o.seconds > 0 && o.warmup >= 0;
}

// The terminal's own side, held open so the reader never sees a hang-up and what it has not
// read can be counted.
int openTerminal(const char *path) {
    const int fd = open(path, O_RDWR | O_NOCTTY);
    termios raw{};
    if (fd < 0 || tcgetattr(fd, &raw) != 0)
        return -1;
    cfmakeraw(&raw);
    tcsetattr(fd, TCSANOW, &raw);
    return fd;
}

} // namespace

int main(int argc, char *argv[]) {
    Options o;
    if (!parse(argc, argv, o)) {
        std::fprintf(stderr, "usage: bench-line-feed --link LINK --rate LINES_PER_S|max "
                             "[--warmup S] [--seconds S]\n");
        return 2;
    }
    struct sigaction action {};
    action.sa_handler = onStop;
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);

    const int master = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0) {
        std::perror("bench-line-feed: pseudo-terminal");
        return 1;
    }
    const std::string path = ptsname(master);
    const int terminal = openTerminal(path.c_str());
    unlink(o.link);
    if (terminal < 0 || symlink(path.c_str(), o.link) != 0) {
        std::perror("bench-line-feed: terminal or link");
        return 1;
    }
    std::printf("%s\n", path.c_str());
    std::fflush(stdout);

    int status = 1;
    const pid_t reader = waitForReader(path);
    Sender sender(master, o.rate);
    ProcessSample before, after;
    sender.runUntil(nowNs() + int64_t(o.warmup * 1e9));
    const uint64_t linesBefore = sender.lines;
    const int64_t began = nowNs();
    if (reader > 0 && sampleProcess(reader, before)) {
        sender.runUntil(began + int64_t(o.seconds * 1e9));
        const int64_t ended = nowNs();
        if (!stopRequested && sampleProcess(reader, after)) {
            const uint64_t sent = sender.lines - linesBefore;
            const double span = double(ended - began) / 1e9;
            const double cpu =
                double(after.cpuTicks - before.cpuTicks) / double(sysconf(_SC_CLK_TCK));
            std::printf("reader=%d sent_lines=%" PRIu64 " seconds=%.3f lines_per_s=%.0f "
                        "cpu_s=%.3f backlog_bytes=%ld rss_kb_start=%ld rss_kb_end=%ld "
                        "window_ms_start=%" PRId64 " window_ms_end=%" PRId64 "\n",
                        int(reader), sent, span, double(sent) / span, cpu, sender.unread(terminal),
                        before.rssKb, after.rssKb, began / 1000000, ended / 1000000);
            status = 0;
        }
    }
    std::fflush(stdout);
    unlink(o.link);
    close(terminal);
    close(master);
    return status;
}
