#include "MonitorFixture.h"

#include <QLabel>
#include <QPushButton>
#include <QtTest>

namespace {

using C = ControlId;

QStringList viewLines(MonitorFixture &f) {
    QStringList lines;
    for (int i = 0; i < kSerialViewLines; ++i)
        lines << f.caption(serialLine(i));
    return lines;
}

} // namespace

class SerialViewTest : public QObject {
    Q_OBJECT
private slots:
    void linesScrollUpAndOut() {
        MonitorFixture f;
        QCOMPARE(viewLines(f), QStringList(20, QString()));
        f.feed("V:1");
        QCOMPARE(f.caption(serialLine(0)), "V:1");
        QCOMPARE(f.caption(serialLine(1)), "");
        for (int i = 2; i <= 21; ++i)
            f.feed(QStringLiteral("line %1").arg(i));
        QCOMPARE(f.caption(serialLine(19)), "line 2");
        QCOMPARE(f.caption(serialLine(0)), "line 21");
        f.serial().deliver(QStringLiteral("\r\n"));
        QCOMPARE(f.caption(serialLine(0)), "");
        QCOMPARE(f.caption(serialLine(1)), "line 21");
    }

    void nullDeliveriesAreIgnored() {
        MonitorFixture f;
        f.feed("O:1");
        const QStringList before = viewLines(f);
        const int16_t count = f.state().LinkSilenceCount;
        f.serial().deliver(QVariant());
        f.serial().deliver(QVariant(QMetaType::fromType<QString>()));
        QCOMPARE(viewLines(f), before);
        QCOMPARE(f.state().LinkSilenceCount, count);
        QCOMPARE(f.state().LastLine, "O:1");
    }

    // Frozen, the view stands still but decoding goes on; lines received meanwhile never appear.
    void freezeStopsTheViewNotTheDecoder() {
        MonitorFixture f;
        f.window().Show_Menu_Click();
        f.feed("V:1");
        QTest::mouseClick(f.window().freezeButton(), Qt::LeftButton);
        QCOMPARE(f.window().freezeButton()->text(), "CONTINUE");
        f.feed("V:2");
        f.feed("I:1");
        QCOMPARE(f.caption(serialLine(0)), "V:1");
        QCOMPARE(f.caption(C::FirmwareVersion), "2");
        QVERIFY(f.state().InputBits[0]);
        QTest::mouseClick(f.window().freezeButton(), Qt::LeftButton);
        QCOMPARE(f.window().freezeButton()->text(), "FREEZE");
        f.feed("V:3");
        QCOMPARE(f.caption(serialLine(0)), "V:3");
        QCOMPARE(f.caption(serialLine(1)), "V:1");
    }

    void showingAlwaysUnfreezesHidingKeepsTheState() {
        MonitorFixture f;
        Form1 &w = f.window();
        w.Show_Menu_Click();
        QVERIFY(f.shown(C::Frame10));
        w.FreezeButton_Click();
        w.Show_Menu_Click();
        QVERIFY(!f.shown(C::Frame10));
        QVERIFY(f.state().SerialViewFrozen);
        QCOMPARE(w.freezeButton()->text(), "CONTINUE");
        w.Show_Menu_Click();
        QVERIFY(!f.state().SerialViewFrozen);
        QCOMPARE(w.freezeButton()->text(), "FREEZE");
    }

    void hiddenViewKeepsScrollingAndHelpTextIgnoresTheFreeze() {
        MonitorFixture f;
        f.feed("C:5");
        f.window().FreezeButton_Click();
        f.ticks(11);
        QCOMPARE(f.caption(serialLine(10)), "Select the following settings,");
        QVERIFY(f.state().SerialViewFrozen);
        f.window().FreezeButton_Click();
        f.feed("C:6");
        QCOMPARE(f.caption(serialLine(0)), "C:6");
        QCOMPARE(f.caption(serialLine(1)), "");
        QCOMPARE(f.caption(serialLine(19)), " COMM PORT SETTINGS");
    }

    void theShowCommandOnTheMenuBarTogglesTheView() {
        MonitorFixture f;
        f.window().menuItem(MenuId::Show_Menu)->trigger();
        QVERIFY(f.shown(C::Frame10));
        QVERIFY(f.window().control(C::Frame10)->isVisible());
        f.window().menuItem(MenuId::Show_Menu)->trigger();
        QVERIFY(!f.shown(C::Frame10));
        QVERIFY(f.window().control(C::Frame1)->isVisible());
    }
};

QTEST_MAIN(SerialViewTest)
#include "serial_view_test.moc"
