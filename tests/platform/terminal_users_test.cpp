// What the look at a terminal reads: /proc/<pid>/stat, and which device it looks at. Who uses a
// terminal, with real pseudo-terminals held by child processes, is in
// tests/ui/reconnect_pty_test.cpp, through the window that opens it.
#include "Pty.h"
#include "platform/TerminalUsers.h"

#include <QtTest>

#include <fcntl.h>
#include <unistd.h>

Q_DECLARE_METATYPE(std::optional<ProcessTerminal>)

namespace {

std::optional<ProcessTerminal> facts(qint64 session, std::optional<DeviceNumber> terminal) {
    return ProcessTerminal{session, terminal};
}

} // namespace

class TerminalUsersTest : public QObject {
    Q_OBJECT
private slots:
    void processStatLines_data() {
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<std::optional<ProcessTerminal>>("expected");
        QTest::newRow("a shell on /dev/pts/1")
            << QByteArray("4242 (bash) S 4241 4242 4242 34817 4242 4194560 1 2 3")
            << facts(4242, DeviceNumber{136, 1});
        QTest::newRow("no controlling terminal")
            << QByteArray("77 (gear-sim) S 1 77 77 0 -1 4194560") << facts(77, std::nullopt);
        // new_encode_dev(136, 300): the minor's high bits sit above the major.
        QTest::newRow("a minor above 255")
            << QByteArray("9 (x) S 1 9 9 1083436 9") << facts(9, DeviceNumber{136, 300});
        QTest::newRow("a name with blanks and parentheses")
            << QByteArray("5 (a) b (c) S 1 5 12 34817 5 0") << facts(12, DeviceNumber{136, 1});
        QTest::newRow("cut short") << QByteArray("5 (a) S 1 5") << std::optional<ProcessTerminal>();
        QTest::newRow("no name") << QByteArray("5 a S 1 5 5 34817 5")
                                 << std::optional<ProcessTerminal>();
        QTest::newRow("not numbers")
            << QByteArray("5 (a) S 1 5 x y 5") << std::optional<ProcessTerminal>();
    }
    void processStatLines() {
        QFETCH(QByteArray, line);
        QFETCH(std::optional<ProcessTerminal>, expected);
        const std::optional<ProcessTerminal> read = parseProcessStat(line);
        QCOMPARE(read.has_value(), expected.has_value());
        if (read) {
            QCOMPARE(read->session, expected->session);
            QCOMPARE(read->terminal, expected->terminal);
        }
    }

    void theLookKnowsItsDevice() {
        Pty first, second;
        const TerminalLook look(first.devicePath());
        const int same = ::open(qPrintable(first.devicePath()), O_RDONLY | O_NOCTTY);
        const int other = ::open(qPrintable(second.devicePath()), O_RDONLY | O_NOCTTY);
        QVERIFY(look.sameDevice(same));
        QVERIFY(!look.sameDevice(other));
        ::close(same);
        ::close(other);
        QVERIFY(!TerminalLook("/dev/null").isTerminal());
        QVERIFY(!TerminalLook("/nowhere").isOpen());
    }
};

QTEST_GUILESS_MAIN(TerminalUsersTest)
#include "terminal_users_test.moc"
