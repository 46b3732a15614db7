#pragma once

#include <cstdint>
#include <fstream>
#include <istream>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

// A recording of a monitor session: plain text, one event a line, readable with `less`. The first
// line names the format and version and the port with its settings as known when the recording
// started; each following line is "<ms> <kind>[ <bytes>]", the time in milliseconds since the
// recording started. An `open` whose port or settings differ from those last stated carries them
// as the header does. Received lines keep their bytes exactly (CR and LF removed); a backslash,
// and any byte that is not printable ASCII, is written as \\ or \xHH so that every byte survives.
namespace recording {

inline constexpr std::string_view kFormatName = "gear-recording";
inline constexpr int kFormatVersion = 1;

// The port as the menus name it and its five settings, as plain texts.
struct Header {
    std::string port;
    std::string speed;
    std::string parity;
    std::string dataLength;
    std::string flowControl;
    std::string stopBits;
    bool operator==(const Header &) const = default;
};

enum class EventKind { Line, PortOpened, PortClosed, LinkLive, LinkStale, LinkFailed };

struct Event {
    std::int64_t ms = 0;
    EventKind kind = EventKind::Line;
    std::string bytes; // the received line, for EventKind::Line
    // For EventKind::PortOpened: the port and settings it opened with, when they differ from
    // those the recording stated last (in its header or an earlier `open`).
    std::optional<Header> settings = std::nullopt;
    bool operator==(const Event &) const = default;
};

// The word an event kind is written as ("line", "open", "close", "live", "stale", "failed").
std::string_view kindWord(EventKind kind);

// Printable ASCII as it is; a backslash as \\ and every other byte as \xHH.
std::string escapeBytes(std::string_view bytes);

// The header line and one event line, each ended by LF.
std::string formatHeader(const Header &header);
std::string formatEvent(const Event &event);

struct ParseError {
    long lineNumber = 0; // counted from 1
    std::string message;
};

struct Recording {
    Header header;
    std::vector<Event> events;
};

// Parses one event line without its LF. `truncated`: the line is the last of a file that ends
// without LF, and a cut-off escape at its end is dropped rather than refused.
std::variant<Event, std::string> parseEvent(std::string_view line, bool truncated = false);
std::variant<Header, std::string> parseHeader(std::string_view line);

// The longest received line the monitor holds (its line assembler cuts longer runs).
inline constexpr std::size_t kLongestReceivedLine = 4096;
// The longest text a port setting can hold: the settings file keeps each value within a line's
// first 32,767 characters.
inline constexpr std::size_t kLongestSettingText = 32767;
// The six settings as a header or an opening states them: " name=" (seven characters at most)
// and the text, each byte escaped to at most four characters.
inline constexpr std::size_t kLongestSettings = 6 * (1 + 7 + 4 * kLongestSettingText);

// The longest line a reader takes, without its LF: whatever the monitor can write, a CR on top.
// An event line: an opening with its settings, after a time of at most 19 digits. Longer than
// any received line (4096 bytes, each escaped to at most four characters), which the reader
// holds to its own bound.
inline constexpr std::size_t kLongestEventLine = 19 + 1 + 4 + kLongestSettings + 1;
inline constexpr std::size_t kLongestHeaderLine = 16 + kLongestSettings + 1;

// Reads a recording one event at a time, holding one line at most, so that memory stays flat
// whatever the file's size. A foreign or damaged file gives the first bad line's number and what
// is wrong with it; a last line cut off without LF is read as far as it goes.
class Reader {
public:
    explicit Reader(std::istream &in) : in_(in) {}
    // The first line; call it once, before next().
    std::variant<Header, ParseError> header();
    // The next event, or nothing at the end, or the first bad line (after which it reads no
    // further).
    std::variant<std::monostate, Event, ParseError> next();

private:
    enum class LineRead { Read, End, TooLong };
    LineRead readLine(std::size_t longest);
    ParseError tooLong(std::size_t longest) const;

    std::istream &in_;
    std::string text_;
    long number_ = 0;
    std::int64_t lastMs_ = 0;
    bool done_ = false;
};

// Reads a whole recording into memory: for tests and small files; the programs use Reader.
std::variant<Recording, ParseError> readRecording(std::istream &in);

// Opens a recording's file for reading; an empty text when it opened, else why not (a folder is
// named as a folder).
std::string openRecordingFile(const std::string &path, std::ifstream &in);

} // namespace recording
