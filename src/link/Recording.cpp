#include "link/Recording.h"

#include <array>
#include <charconv>
#include <utility>

namespace recording {

namespace {

constexpr std::array<std::pair<EventKind, std::string_view>, 6> kKindWords{{
    {EventKind::Line, "line"},
    {EventKind::PortOpened, "open"},
    {EventKind::PortClosed, "close"},
    {EventKind::LinkLive, "live"},
    {EventKind::LinkStale, "stale"},
    {EventKind::LinkFailed, "failed"},
}};

constexpr char kHexDigits[] = "0123456789abcdef";

bool printable(unsigned char c) {
    return c >= 0x20 && c < 0x7f;
}

void appendEscaped(std::string &out, std::string_view bytes, bool escapeSpace) {
    for (const char ch : bytes) {
        const auto c = static_cast<unsigned char>(ch);
        if (c == '\\') {
            out += "\\\\";
        } else if (printable(c) && !(escapeSpace && c == ' ')) {
            out += ch;
        } else {
            out += "\\x";
            out += kHexDigits[c >> 4];
            out += kHexDigits[c & 0xf];
        }
    }
}

int hexValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// The bytes an escaped text stands for, or why it cannot stand for any. In a truncated text an
// escape cut off at the very end is dropped.
std::variant<std::string, std::string> unescape(std::string_view text, bool truncated) {
    std::string bytes;
    bytes.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c != '\\') {
            if (!printable(c))
                return std::variant<std::string, std::string>(
                    std::in_place_index<1>, "a raw byte that should have been escaped");
            bytes += text[i];
            continue;
        }
        const std::size_t left = text.size() - i - 1;
        if (left >= 1 && text[i + 1] == '\\') {
            bytes += '\\';
            ++i;
        } else if (left >= 3 && text[i + 1] == 'x' && hexValue(text[i + 2]) >= 0 &&
                   hexValue(text[i + 3]) >= 0) {
            bytes += static_cast<char>(hexValue(text[i + 2]) * 16 + hexValue(text[i + 3]));
            i += 3;
        } else if (truncated && left < 3 && (left == 0 || text[i + 1] == 'x')) {
            break;
        } else {
            return std::variant<std::string, std::string>(std::in_place_index<1>,
                                                          "a broken escape (\\\\ or \\xHH)");
        }
    }
    return std::variant<std::string, std::string>(std::in_place_index<0>, std::move(bytes));
}

std::string_view firstWord(std::string_view &text) {
    const std::size_t space = text.find(' ');
    const std::string_view word = text.substr(0, space);
    text = space == std::string_view::npos ? std::string_view() : text.substr(space + 1);
    return word;
}

std::string_view withoutCr(std::string_view line) {
    // A copy passed through a Windows editor keeps its meaning.
    if (!line.empty() && line.back() == '\r')
        line.remove_suffix(1);
    return line;
}

constexpr std::array<std::pair<std::string_view, std::string Header::*>, 6> kHeaderFields{{
    {"port", &Header::port},
    {"speed", &Header::speed},
    {"parity", &Header::parity},
    {"data", &Header::dataLength},
    {"flow", &Header::flowControl},
    {"stop", &Header::stopBits},
}};

// Far beyond any line the monitor writes (a received line is at most 4096 bytes, 16 KiB escaped),
// so an endless line (/dev/zero, a file of no LF) is refused rather than read until memory runs
// out.
constexpr std::size_t kLongestLine = std::size_t(4) << 20;

enum class LineRead { Read, End, TooLong };

// One line without its LF, at most kLongestLine bytes.
LineRead readLine(std::istream &in, std::string &text) {
    text.clear();
    std::streambuf *buffer = in.rdbuf();
    for (;;) {
        const int c = buffer->sbumpc();
        if (c == std::char_traits<char>::eof()) {
            in.setstate(std::ios::eofbit);
            return text.empty() ? LineRead::End : LineRead::Read;
        }
        if (c == '\n')
            return LineRead::Read;
        if (text.size() == kLongestLine)
            return LineRead::TooLong;
        text += static_cast<char>(c);
    }
}

// " port=... speed=... parity=... data=... flow=... stop=...", a space escaped in the values.
void appendFields(std::string &out, const Header &fields) {
    for (const auto &[name, field] : kHeaderFields) {
        out += ' ';
        out += name;
        out += '=';
        appendEscaped(out, fields.*field, true);
    }
}

// Reads the six fields in their order into `fields`, leaving `line` after them; why they do not
// read, or an empty text. `where` names the line's part for the message.
std::string parseFields(std::string_view &line, Header &fields, const std::string &where) {
    for (const auto &[name, field] : kHeaderFields) {
        const std::string_view word = firstWord(line);
        if (word.substr(0, name.size() + 1) != std::string(name) + "=")
            return where + " lacks " + std::string(name) + "=";
        auto value = unescape(word.substr(name.size() + 1), false);
        if (value.index() == 1)
            return where + "'s " + std::string(name) + " holds " + std::get<1>(value);
        fields.*field = std::move(std::get<0>(value));
    }
    return {};
}

} // namespace

std::string_view kindWord(EventKind kind) {
    for (const auto &[k, word] : kKindWords)
        if (k == kind)
            return word;
    return "?";
}

std::string escapeBytes(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size() + 8);
    appendEscaped(out, bytes, false);
    return out;
}

std::string formatHeader(const Header &header) {
    std::string out(kFormatName);
    out += ' ';
    out += std::to_string(kFormatVersion);
    appendFields(out, header);
    out += '\n';
    return out;
}

std::string formatEvent(const Event &event) {
    std::string out = std::to_string(event.ms);
    out += ' ';
    out += kindWord(event.kind);
    if (event.kind == EventKind::Line && !event.bytes.empty()) {
        out += ' ';
        appendEscaped(out, event.bytes, false);
    }
    if (event.kind == EventKind::PortOpened && event.settings)
        appendFields(out, *event.settings);
    out += '\n';
    return out;
}

std::variant<Header, std::string> parseHeader(std::string_view line) {
    line = withoutCr(line);
    if (firstWord(line) != kFormatName)
        return std::string("not a gear recording: the first line must start with ") +
               std::string(kFormatName);
    if (firstWord(line) != std::to_string(kFormatVersion))
        return "a recording of a format version this program does not read (it reads version " +
               std::to_string(kFormatVersion) + ")";
    Header header;
    if (std::string error = parseFields(line, header, "the header"); !error.empty())
        return error;
    return header;
}

std::variant<Event, std::string> parseEvent(std::string_view line, bool truncated) {
    line = withoutCr(line);
    const std::string_view time = firstWord(line);
    Event event;
    const auto [end, error] = std::from_chars(time.data(), time.data() + time.size(), event.ms);
    if (error == std::errc::result_out_of_range)
        return std::string("a time beyond what a 64-bit count of milliseconds holds");
    if (time.empty() || error != std::errc() || end != time.data() + time.size() || event.ms < 0)
        return std::string("expected a time in milliseconds at the start of the line");
    const std::string_view word = firstWord(line);
    bool known = false;
    for (const auto &[k, w] : kKindWords)
        if (w == word) {
            event.kind = k;
            known = true;
        }
    if (!known)
        return "unknown event '" + escapeBytes(word) + "'";
    if (event.kind == EventKind::PortOpened && !line.empty()) {
        Header settings;
        if (std::string error = parseFields(line, settings, "'open'"); !error.empty())
            return error;
        if (!line.empty())
            return "unexpected text after 'open' and its settings";
        event.settings = std::move(settings);
        return event;
    }
    if (event.kind != EventKind::Line) {
        if (!line.empty())
            return "unexpected text after '" + std::string(word) + "'";
        return event;
    }
    auto bytes = unescape(line, truncated);
    if (bytes.index() == 1)
        return "the received line holds " + std::get<1>(bytes);
    event.bytes = std::move(std::get<0>(bytes));
    return event;
}

std::variant<Recording, ParseError> readRecording(std::istream &in) {
    Recording result;
    std::string text;
    long number = 0;
    for (LineRead read; (read = readLine(in, text)) != LineRead::End;) {
        ++number;
        if (read == LineRead::TooLong)
            return ParseError{number, "a line longer than " + std::to_string(kLongestLine >> 20) +
                                          " MiB: not a gear recording"};
        const bool truncated = in.eof();
        if (number == 1) {
            auto header = parseHeader(text);
            if (header.index() == 1)
                return ParseError{number, std::get<1>(header)};
            result.header = std::get<0>(header);
            continue;
        }
        auto event = parseEvent(text, truncated);
        if (event.index() == 1) {
            // A last line cut off before its kind was complete carries nothing to replay.
            if (truncated)
                break;
            return ParseError{number, std::get<1>(event)};
        }
        Event &e = std::get<0>(event);
        if (!result.events.empty() && e.ms < result.events.back().ms)
            return ParseError{number, "the time goes backwards"};
        result.events.push_back(std::move(e));
    }
    if (number == 0)
        return ParseError{1, "the file is empty: not a gear recording"};
    return result;
}

} // namespace recording
