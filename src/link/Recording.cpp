#include "link/Recording.h"

#include "platform/LineAssembler.h"

#include <array>
#include <cerrno>
#include <charconv>
#include <cstring>
#include <filesystem>
#include <utility>

static_assert(recording::kLongestReceivedLine == LineAssembler::kMaxRun);

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

// At most this much of a bad text is quoted in an error, escaped.
constexpr std::size_t kExcerpt = 32;

std::string excerpt(std::string_view text) {
    std::string quoted = "'" + escapeBytes(text.substr(0, kExcerpt));
    return quoted + (text.size() > kExcerpt ? "...'" : "'");
}

// A last line cut off before its word was complete ("4", "40 li") carries nothing to read; any
// other fault in it counts as one.
bool cutBeforeWord(std::string_view line) {
    std::string_view rest = line;
    const std::string_view time = firstWord(rest);
    if (time.find_first_not_of("0123456789") != std::string_view::npos)
        return false;
    if (line.size() == time.size())
        return true;
    for (const auto &[kind, word] : kKindWords)
        if (word.substr(0, rest.size()) == rest && rest.size() < word.size())
            return true;
    return false;
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
        return "unknown event " + excerpt(word);
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
            return "unexpected text after '" + std::string(word) + "': " + excerpt(line);
        return event;
    }
    auto bytes = unescape(line, truncated);
    if (bytes.index() == 1)
        return "the received line holds " + std::get<1>(bytes);
    if (std::get<0>(bytes).size() > kLongestReceivedLine)
        return "a received line longer than the monitor holds (" +
               std::to_string(kLongestReceivedLine) + " bytes)";
    event.bytes = std::move(std::get<0>(bytes));
    return event;
}

Reader::LineRead Reader::readLine(std::size_t longest) {
    text_.clear();
    std::streambuf *buffer = in_.rdbuf();
    for (;;) {
        const int c = buffer->sbumpc();
        if (c == std::char_traits<char>::eof()) {
            in_.setstate(std::ios::eofbit);
            return text_.empty() ? LineRead::End : LineRead::Read;
        }
        if (c == '\n')
            return LineRead::Read;
        if (text_.size() == longest)
            return LineRead::TooLong;
        text_ += static_cast<char>(c);
    }
}

ParseError Reader::tooLong(std::size_t longest) const {
    return {number_, "a line longer than " + std::to_string(longest) +
                         " bytes, more than the monitor writes: not a gear recording"};
}

std::variant<Header, ParseError> Reader::header() {
    const LineRead read = readLine(kLongestHeaderLine);
    number_ = 1;
    done_ = true;
    if (read == LineRead::End)
        return ParseError{1, "the file is empty: not a gear recording"};
    if (read == LineRead::TooLong)
        return tooLong(kLongestHeaderLine);
    auto header = parseHeader(text_);
    if (header.index() == 1)
        return ParseError{1, std::get<1>(header)};
    done_ = false;
    return std::get<0>(header);
}

std::variant<std::monostate, Event, ParseError> Reader::next() {
    if (done_)
        return std::monostate();
    const LineRead read = readLine(kLongestEventLine);
    if (read == LineRead::End) {
        done_ = true;
        return std::monostate();
    }
    ++number_;
    done_ = true; // until this line proves good
    if (read == LineRead::TooLong)
        return tooLong(kLongestEventLine);
    const bool truncated = in_.eof();
    auto event = parseEvent(text_, truncated);
    if (event.index() == 1) {
        if (truncated && cutBeforeWord(text_))
            return std::monostate();
        return ParseError{number_, std::get<1>(event)};
    }
    Event &e = std::get<0>(event);
    if (e.ms < lastMs_)
        return ParseError{number_, "the time goes backwards"};
    lastMs_ = e.ms;
    done_ = truncated;
    return std::move(e);
}

std::variant<Recording, ParseError> readRecording(std::istream &in) {
    Reader reader(in);
    Recording result;
    auto header = reader.header();
    if (const auto *error = std::get_if<ParseError>(&header))
        return *error;
    result.header = std::get<Header>(header);
    for (;;) {
        auto step = reader.next();
        if (auto *error = std::get_if<ParseError>(&step))
            return std::move(*error);
        if (auto *event = std::get_if<Event>(&step))
            result.events.push_back(std::move(*event));
        else
            return result;
    }
}

std::string openRecordingFile(const std::string &path, std::ifstream &in) {
    std::error_code error;
    // A folder opens like a file on Linux and reads as an empty one.
    if (std::filesystem::is_directory(path, error))
        return path + " is a folder, not a recording";
    in.open(path, std::ios::binary);
    if (!in)
        return "cannot read " + path + ": " + std::strerror(errno);
    return {};
}

} // namespace recording
