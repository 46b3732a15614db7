// Whether a terminal is someone else's: a session's controlling terminal, or held open by another
// process. The terminals are real pseudo-terminals, held by child processes.
#include "Pty.h"
#include "platform/TerminalUsers.h"

#include <QtTest>

#include <fcntl.h>
#include <unistd.h>

using Kind = TerminalUse::Kind;
using As = PtyHolder::As;
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

    // TIOCGSID alone would call another session's terminal free: it answers only for this
    // process's own. The session is the holder itself, which leads it.
    void whoUsesATerminal_data() {
        QTest::addColumn<int>("holder"); // -1 none, else an As
        QTest::addColumn<bool>("heldCounts");
        QTest::addColumn<Kind>("kind");
        QTest::newRow("free") << -1 << true << Kind::Free;
        QTest::newRow("held by this process only") << -2 << true << Kind::Free;
        QTest::newRow("a session's terminal")
            << int(As::SessionTerminal) << false << Kind::SessionTerminal;
        QTest::newRow("a session's terminal, held counting too")
            << int(As::SessionTerminal) << true << Kind::SessionTerminal;
        QTest::newRow("held open, not counted") << int(As::OpenDescriptor) << false << Kind::Free;
        QTest::newRow("held open") << int(As::OpenDescriptor) << true << Kind::HeldOpen;
    }
    void whoUsesATerminal() {
        QFETCH(int, holder);
        QFETCH(bool, heldCounts);
        QFETCH(Kind, kind);
        Pty pty;
        QVERIFY(pty.watchSettings());
        std::unique_ptr<PtyHolder> child;
        if (holder >= 0) {
            child = std::make_unique<PtyHolder>(pty.devicePath(), As(holder));
            QVERIFY(child->holding());
        }
        const int own =
            holder == -2 ? ::open(qPrintable(pty.devicePath()), O_RDONLY | O_NOCTTY) : -1;
        const TerminalLook look(pty.devicePath());
        QVERIFY(look.isOpen());
        QVERIFY(look.isTerminal());
        // A holder from an earlier look that holds nothing now misleads nobody.
        const TerminalUse use = look.use(heldCounts, ::getppid());
        if (own >= 0)
            ::close(own);
        QCOMPARE(use.kind, kind);
        QCOMPARE(use.process, kind == Kind::Free ? 0 : child->pid());
        QCOMPARE(otherProcessHolding(pty.devicePath()), child ? child->pid() : 0);
        QVERIFY(pty.echoesAndEditsLines()); // looking changed nothing
        QVERIFY(!pty.settingsChangedSinceWatched());
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
