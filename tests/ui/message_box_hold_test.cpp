// The hold on its own: what a message box's nested loop delivers waits and runs in order once the
// last box is gone, a tick once after it, and what is held stays bounded.
#include "ui/MessageBoxHold.h"

#include <QtTest>

namespace {

// Records what ran, in order.
struct Journal {
    QStringList ran;
    MessageBoxHold hold{[this] { ran << "tick"; }, [this] { ran << "tick later"; }, 8};

    MessageBoxHold::Event note(const QString &what) {
        return [this, what] { ran << what; };
    }
    void line(int kind, const QString &what) {
        if (!hold.holdLine(kind, note(what)))
            ran << what;
    }
};

} // namespace

class MessageBoxHoldTest : public QObject {
    Q_OBJECT
private slots:
    void nothingIsHeldWithoutABox() {
        Journal j;
        QVERIFY(!j.hold.holdLine(0, j.note("line")));
        QVERIFY(!j.hold.holdEvent(j.note("lost")));
        QVERIFY(!j.hold.holdTick());
        QCOMPARE(j.hold.heldCount(), 0);
        QVERIFY(j.ran.isEmpty());
    }

    // Nested boxes: nothing runs until the outer one closes; then the events in arrival order
    // and one tick however many fell due.
    void releasedInOrderWhenTheLastBoxCloses() {
        Journal j;
        j.hold.boxOpened();
        j.line(0, "a");
        QVERIFY(j.hold.holdTick());
        j.hold.boxOpened();
        QVERIFY(j.hold.holdEvent(j.note("link lost")));
        j.line(1, "b");
        QVERIFY(j.hold.holdTick());
        j.hold.boxClosed();
        QVERIFY(j.ran.isEmpty());
        j.hold.boxClosed();
        QCOMPARE(j.ran, QStringList({"a", "link lost", "b", "tick"}));
        QCOMPARE(j.hold.heldCount(), 0);
    }

    // A box opened by the tick itself: the held tick must not run inside it.
    void aTickHeldDuringATickRunsLater() {
        Journal j;
        {
            const MessageBoxHold::TickScope running(j.hold);
            j.hold.boxOpened();
            QVERIFY(j.hold.holdTick());
            j.hold.boxClosed();
        }
        QCOMPARE(j.ran, QStringList({"tick later"}));
    }

    // An event released from the hold opens a box of its own: what arrives meanwhile is held
    // too and runs after what was already waiting, in arrival order, before that box returns.
    void aBoxOpenedWhileReleasingHoldsInTurn() {
        Journal j;
        j.hold.boxOpened();
        QVERIFY(j.hold.holdEvent([&] {
            j.ran << "opens a box";
            j.hold.boxOpened();
            j.line(0, "during");
            j.hold.boxClosed();
        }));
        j.line(0, "after");
        j.hold.boxClosed();
        QCOMPARE(j.ran, QStringList({"opens a box", "after", "during"}));
    }

    // Far more lines than the limit (8): the newest of each kind and every other event stay, in
    // their order; only superseded lines go.
    void boundedKeepingTheNewestOfEachKind() {
        Journal j;
        j.hold.boxOpened();
        j.line(4, "inputs once");
        for (int i = 0; i < 1000; ++i) {
            j.line(0, QStringLiteral("version %1").arg(i));
            if (i == 500)
                QVERIFY(j.hold.holdEvent(j.note("link lost")));
            j.line(1, QStringLiteral("count %1").arg(i));
        }
        QVERIFY(j.hold.heldCount() <= 8 + 1);
        QCOMPARE(j.hold.droppedLines(), 2001 - 8);
        j.hold.boxClosed();
        QCOMPARE(j.ran.first(), "inputs once");
        QCOMPARE(j.ran.mid(j.ran.size() - 2), QStringList({"version 999", "count 999"}));
        QVERIFY(j.ran.contains("link lost"));
        int last = -1;
        for (const QString &ran : j.ran.filter("version ")) {
            const int n = ran.mid(8).toInt();
            QVERIFY2(n > last, qPrintable(j.ran.join(',')));
            last = n;
        }
    }
};

QTEST_MAIN(MessageBoxHoldTest)
#include "message_box_hold_test.moc"
