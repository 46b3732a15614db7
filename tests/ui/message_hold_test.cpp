// While a message box is up, its nested event loop delivers received lines and ticks. They must
// not run inside the handler that showed the box: they wait, and run in order once it is gone.
#include "MonitorFixture.h"
#include "ui/WindowBuilder.h"

#include <QtTest>

namespace {

using C = ControlId;

// Five lines: enough to bring a lost link (10) down to live on the next tick.
const QStringList kLines = {"V:2.2.0", "C:12", "F:11100", "O:000001", "I:10000000 00000000 00"};

// What the nested loop brings while the box is up: the lines, with ticks falling between them.
void deliverWhileShown(MonitorFixture &f) {
    f.feed(kLines.at(0));
    f.window().Timer1_Timer();
    f.feed(kLines.at(1));
    f.feed(kLines.at(2));
    f.window().Timer1_Timer();
    f.feed(kLines.at(3));
    f.window().Timer1_Timer();
    f.feed(kLines.at(4));
}

QStringList serialView(MonitorFixture &f, int lines) {
    QStringList shown;
    for (int i = lines - 1; i >= 0; --i)
        shown << f.caption(serialLine(i));
    return shown;
}

// The held lines were all decoded and then one tick ran, finding the link live.
void verifyLinesThenOneLiveTick(MonitorFixture &f) {
    QCOMPARE(serialView(f, 5), kLines);
    QCOMPARE(f.caption(C::FirmwareVersion), "2.2.0");
    QCOMPARE(f.state().LinkSilenceCount, 6);
    QVERIFY(!f.shown(C::CommFail));
    QCOMPARE(f.rendered(C::LG_Right_Down_Light), rgb(0x00FF00));
    QCOMPARE(f.rendered(C::Y5_Horn), rgb(0x00FFFF));
}

} // namespace

class MessageHoldTest : public QObject {
    Q_OBJECT
private slots:
    // The box of a refused port, opened from a menu choice.
    void heldUntilABoxFromAChoiceIsDismissed() {
        MonitorFixture f;
        f.state().PortSettings = {"Com2", "9600", "None", "8", "None", "1"};
        f.serial().failOn = "open 1";
        bool ranInside = false;
        f.host.whileMessageShown = [&] {
            deliverWhileShown(f);
            ranInside = !f.state().LastLine.isEmpty() || f.state().TickCount != 0;
        };
        f.window().menuItem(MenuId::Menu_Baud_9600)->trigger();
        QCOMPARE(f.host.messages.size(), 1);
        QVERIFY(!ranInside);
        QCOMPARE(f.state().TickCount, 1);
        verifyLinesThenOneLiveTick(f);
    }

    // The box of a missing settings file, opened by tick 5: the held lines run before the rest
    // of that tick, and the tick that fell due runs once, after it.
    void aTickThatFellDueRunsOnceAfterTheTickThatShowedTheBox() {
        MonitorFixture f;
        f.ticks(4);
        bool ranInside = false;
        f.host.whileMessageShown = [&] {
            deliverWhileShown(f);
            ranInside = !f.state().LastLine.isEmpty() || f.state().TickCount != 5;
        };
        f.ticks(1);
        QCOMPARE(f.host.messages.size(), 1);
        QVERIFY(!ranInside);
        QCOMPARE(f.state().TickCount, 5);
        QCOMPARE(serialView(f, 5), kLines);
        QVERIFY(!f.shown(C::CommFail)); // tick 5 itself found the link live

        QTRY_COMPARE(f.state().TickCount, 6);
        QCoreApplication::processEvents();
        QCOMPARE(f.state().TickCount, 6);
    }

    // The port hangs up while a box (here a refused SAVE PORT) is up: the lines received before
    // the hang-up must not count after it and make the lost link look live.
    void aLinkLostWhileTheBoxIsUpKeepsItsPlaceInLine() {
        MonitorFixture f;
        f.state().LinkSilenceCount = 0;
        f.host.folder += "/gone";
        f.host.whileMessageShown = [&] {
            for (const QString &line : kLines)
                f.feed(line);
            emit f.serial().linkLost("device gone");
        };
        f.window().Save_Menu_Click();
        QCOMPARE(f.host.messages.size(), 1);
        QCOMPARE(f.caption(serialLine(0)), kLines.last());
        QCOMPARE(f.state().LinkSilenceCount, 10);
        f.ticks(1);
        QCOMPARE(f.caption(C::FirmwareVersion), "COMM FAIL");
    }
};

QTEST_MAIN(MessageHoldTest)
#include "message_hold_test.moc"
