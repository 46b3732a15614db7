#include "link/Recording.h"

#include <QtTest>

#include <sstream>

using namespace recording;

namespace {

std::string allBytes() {
    std::string s;
    for (int c = 0; c < 256; ++c)
        s += static_cast<char>(c);
    return s;
}

const Header kHeader{"Com 7", "9600", "None", "8", "None", "1"};

std::string fileOf(const std::vector<std::string> &lines, bool endWithLf = true) {
    std::string text = formatHeader(kHeader);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        text += lines[i];
        if (endWithLf || i + 1 < lines.size())
            text += '\n';
    }
    return text;
}

} // namespace

Q_DECLARE_METATYPE(std::string)

class RecordingTest : public QObject {
    Q_OBJECT
private slots:
    // Whatever bytes a line held come back from the file unchanged, and the file stays plain
    // printable ASCII.
    void roundTrip_data() {
        QTest::addColumn<std::string>("bytes");
        QTest::newRow("status line") << std::string("I:00000010 11010000 00");
        QTest::newRow("empty line") << std::string();
        QTest::newRow("NUL inside") << std::string("O:1\0"
                                                   "01",
                                                   6);
        QTest::newRow("invalid UTF-8") << std::string("V:\xff\xfe\xc3(\x80");
        QTest::newRow("markup") << std::string("V:<b>bold</b><img src=/etc/x.png>");
        QTest::newRow("backslashes and look-alike escapes") << std::string("\\x41\\\\ \\");
        QTest::newRow("leading and trailing spaces") << std::string("  C:12  ");
        QTest::newRow("every byte") << allBytes();
        QTest::newRow("the longest line the monitor holds") << std::string(4095, 'Z') + "\x01";
    }
    void roundTrip() {
        QFETCH(std::string, bytes);
        const Event written{1234, EventKind::Line, bytes};
        const std::string line = formatEvent(written);
        QCOMPARE(line.back(), '\n');
        for (std::size_t i = 0; i + 1 < line.size(); ++i)
            QVERIFY2(line[i] >= 0x20 && line[i] < 0x7f, "a byte left unescaped");
        std::istringstream in(formatHeader(kHeader) + line);
        const auto read = readRecording(in);
        QVERIFY(std::holds_alternative<Recording>(read));
        const Recording &r = std::get<Recording>(read);
        QCOMPARE(r.header, kHeader);
        QCOMPARE(r.events.size(), std::size_t(1));
        QVERIFY(r.events[0] == written);
    }

    // An `open` may state the port and its settings, spaces and odd bytes kept.
    void eventsOfEveryKind() {
        const std::vector<Event> events{
            {0, EventKind::PortOpened, {}},
            {500, EventKind::Line, "V:SIM-1.0"},
            {6000, EventKind::LinkStale, {}},
            {8000, EventKind::LinkFailed, {}},
            {9000, EventKind::LinkLive, {}},
            {9500, EventKind::PortClosed, {}},
            {9600, EventKind::PortOpened, {}, Header{"Com 9", "19200", "Even", "7", "\x1b", ""}}};
        std::string text = formatHeader(kHeader);
        for (const Event &e : events)
            text += formatEvent(e);
        QVERIFY(text.find("6000 stale\n") != std::string::npos);
        std::istringstream in(text);
        const auto read = readRecording(in);
        QVERIFY(std::holds_alternative<Recording>(read));
        QVERIFY(std::get<Recording>(read).events == events);
    }

    // A recording cut off in the middle of its last line gives what that line holds so far.
    void truncatedLastLine_data() {
        QTest::addColumn<std::string>("lastLine");
        QTest::addColumn<int>("events");
        QTest::addColumn<std::string>("lastBytes");
        QTest::newRow("cut in the text")
            << std::string("40 line I:0000") << 2 << std::string("I:0000");
        QTest::newRow("cut in an escape")
            << std::string("40 line O:1\\x0") << 2 << std::string("O:1");
        QTest::newRow("cut after a backslash")
            << std::string("40 line O:1\\") << 2 << std::string("O:1");
        QTest::newRow("cut in the kind") << std::string("40 li") << 1 << std::string("V:1");
        QTest::newRow("cut in the time") << std::string("4") << 1 << std::string("V:1");
    }
    void truncatedLastLine() {
        QFETCH(std::string, lastLine);
        QFETCH(int, events);
        QFETCH(std::string, lastBytes);
        std::istringstream in(fileOf({"10 line V:1", lastLine}, false));
        const auto read = readRecording(in);
        QVERIFY(std::holds_alternative<Recording>(read));
        const Recording &r = std::get<Recording>(read);
        QCOMPARE(int(r.events.size()), events);
        QCOMPARE(r.events.back().bytes, lastBytes);
    }

    // A foreign or damaged file is refused at its first bad line, counted from 1.
    void damaged_data() {
        QTest::addColumn<std::string>("text");
        QTest::addColumn<long>("lineNumber");
        QTest::addColumn<QString>("saying");
        QTest::newRow("empty file") << std::string() << 1L << "empty";
        QTest::newRow("foreign file")
            << std::string("hello world\n10 line V:1\n") << 1L << "not a gear recording";
        QTest::newRow("newer version")
            << std::string("gear-recording 2 port=Com1\n") << 1L << "version";
        QTest::newRow("header without settings")
            << std::string("gear-recording 1 port=Com1\n") << 1L << "speed=";
        QTest::newRow("no time") << fileOf({"10 line V:1", "line V:2", "30 open"}) << 3L
                                 << "time in milliseconds";
        QTest::newRow("negative time") << fileOf({"-5 open"}) << 2L << "time";
        QTest::newRow("unknown kind") << fileOf({"10 open", "20 jump"}) << 3L << "unknown event";
        QTest::newRow("broken escape") << fileOf({"10 line a\\q"}) << 2L << "broken escape";
        QTest::newRow("short escape mid-file")
            << fileOf({"10 line a\\x4", "20 open"}) << 2L << "broken escape";
        QTest::newRow("raw control byte") << fileOf({"10 line a\tb"}) << 2L << "raw byte";
        QTest::newRow("text after a link event")
            << fileOf({"10 stale now"}) << 2L << "unexpected text";
        QTest::newRow("an open with part of its settings")
            << fileOf({"10 open port=Com1 speed=9600"}) << 2L << "'open' lacks parity=";
        QTest::newRow("text after an open's settings")
            << fileOf({"10 open port=C speed= parity= data= flow= stop= more"}) << 2L
            << "unexpected text";
        QTest::newRow("time going backwards")
            << fileOf({"10 open", "9 close"}) << 3L << "backwards";
        QTest::newRow("time beyond 64 bits")
            << fileOf({"9223372036854775807 open", "9223372036854775808 close"}) << 3L
            << "beyond what a 64-bit count";
        QTest::newRow("endless line")
            << fileOf({"10 open", "20 line " + std::string(4 << 20, 'Z')}) << 3L << "longer than";
        QTest::newRow("a line one byte over the longest escaped line")
            << fileOf({"9223372036854775807 line " + std::string(4 * 4096 + 2, 'Z')}) << 2L
            << "longer than";
        QTest::newRow("a long header")
            << "gear-recording 1 port=" + std::string(kLongestHeaderLine, 'p') << 1L
            << "longer than";
        QTest::newRow("a bad escape on an unterminated last line")
            << fileOf({"10 line V:1", "20 line a\\q"}, false) << 3L << "broken escape";
        QTest::newRow("text after a word on an unterminated last line")
            << fileOf({"10 line V:1", "20 stale x"}, false) << 3L << "unexpected text";
        QTest::newRow("a long unknown word, quoted short")
            << fileOf({"10 " + std::string(5000, 'w')}) << 2L
            << "unknown event 'wwwwwwwwwwwwwwwwwwwwwwwwwwwwwwww...'";
    }
    void damaged() {
        QFETCH(std::string, text);
        QFETCH(long, lineNumber);
        QFETCH(QString, saying);
        std::istringstream in(text);
        const auto read = readRecording(in);
        QVERIFY(std::holds_alternative<ParseError>(read));
        const ParseError &error = std::get<ParseError>(read);
        QCOMPARE(error.lineNumber, lineNumber);
        QVERIFY2(QString::fromStdString(error.message).contains(saying), error.message.c_str());
        QVERIFY2(error.message.size() < 120, error.message.c_str());
    }

    // The longest line the monitor can write (4096 bytes, every one escaped, at the latest time
    // there is) is read; a CR before its LF does not count.
    void longestLineIsRead() {
        const std::string bytes(4096, '\x01');
        const std::string line =
            formatEvent({std::numeric_limits<std::int64_t>::max(), EventKind::Line, bytes});
        // An opening that states six settings of the longest text, every byte escaped, as a
        // damaged settings file can give them, is read too.
        const std::string text(kLongestSettingText, '\x01');
        const Header longest{text, text, text, text, text, text};
        const std::string opening = formatEvent(
            {std::numeric_limits<std::int64_t>::max(), EventKind::PortOpened, {}, longest});
        QVERIFY(opening.size() <= kLongestEventLine); // with its LF, which becomes CR LF
        std::istringstream in(formatHeader(longest) + line.substr(0, line.size() - 1) + "\r\n" +
                              opening);
        const auto read = readRecording(in);
        QVERIFY(std::holds_alternative<Recording>(read));
        QCOMPARE(std::get<Recording>(read).events.at(0).bytes, bytes);
        QCOMPARE(std::get<Recording>(read).events.at(1).settings, std::optional(longest));
    }

    void windowsLineEndsAreRead() {
        std::istringstream in("gear-recording 1 port=Com1 speed=9600 parity=None data=8 "
                              "flow=None stop=1\r\n10 line V:1\r\n");
        const auto read = readRecording(in);
        QVERIFY(std::holds_alternative<Recording>(read));
        QCOMPARE(std::get<Recording>(read).events.at(0).bytes, std::string("V:1"));
    }
};

QTEST_APPLESS_MAIN(RecordingTest)
#include "recording_test.moc"
