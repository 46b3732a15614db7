#include "MonitorFixture.h"
#include "ui/AccessibleNames.h"
#include "ui/MenuId.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QtTest>

namespace {
using C = ControlId;

QImage look(QWidget *w) {
    return w->grab().toImage();
}

} // namespace

class KeyboardTest : public QObject {
    Q_OBJECT
private slots:
    // Nothing has the focus at start, so the window looks as it always did; the first Tab puts a
    // focus frame on the first indicator and on nothing else.
    void noFocusUntilAKeyIsPressed() {
        MonitorFixture f;
        Form1 &w = f.window();
        w.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        QWidget *focused = QApplication::focusWidget();
        QVERIFY2(focused == nullptr || focused == &w, qPrintable(focused->objectName()));
        const QImage first = look(w.control(C::Emer_Retract_Switch));
        const QImage second = look(w.control(C::Throttle_Full_Switch));

        QTest::keyClick(&w, Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), w.control(C::Emer_Retract_Switch));
        QVERIFY(look(w.control(C::Emer_Retract_Switch)) != first);
        QCOMPARE(look(w.control(C::Throttle_Full_Switch)), second);
    }

    // Tab steps through the shown indicators in the panel's reading order, then the freeze
    // button once the serial view shows it.
    void tabFollowsTheReadingOrder() {
        MonitorFixture f;
        Form1 &w = f.window();
        w.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        w.Show_Menu_Click();
        QStringList expected;
        for (C id : indicatorReadingOrder())
            if (w.control(id)->isVisibleTo(&w))
                expected << w.control(id)->objectName();
        expected << "FreezeButton";
        QStringList stepped;
        for (int i = 0; i < expected.size(); ++i) {
            QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : &w,
                            Qt::Key_Tab);
            stepped << QApplication::focusWidget()->objectName();
        }
        QCOMPARE(stepped, expected);
        QTest::keyClick(w.freezeButton(), Qt::Key_Space);
        QCOMPARE(w.freezeButton()->text(), "CONTINUE");
    }

    // Alt, or F10, puts the menu bar under the keys: the arrows go along it, Down opens the Comm
    // menu, Return carries out a command: here SAVE PORT, which writes the settings file.
    void menusByKeys_data() {
        QTest::addColumn<int>("key");
        QTest::newRow("Alt") << int(Qt::Key_Alt);
        QTest::newRow("F10") << int(Qt::Key_F10);
    }
    void menusByKeys() {
        QFETCH(int, key);
        MonitorFixture f;
        Form1 &w = f.window();
        w.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        QMenuBar *bar = w.menuBar();
        QTest::keyClick(&w, Qt::Key(key));
        QCOMPARE(bar->activeAction(), w.menuItem(MenuId::Menu_Comm));
        QTest::keyClick(bar, Qt::Key_Down);
        QMenu *comm = w.menu(MenuId::Menu_Comm);
        QTRY_VERIFY(comm->isVisible());
        QTest::keyClick(comm, Qt::Key_Escape);
        QTRY_VERIFY(!comm->isVisible());

        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Right);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Right);
        QCOMPARE(bar->activeAction(), w.menuItem(MenuId::Save_Menu));
        QVERIFY(f.settingsBytes().isEmpty());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QVERIFY(!f.settingsBytes().isEmpty());
        // The focus goes back where it was: to no box.
        QCOMPARE(QApplication::focusWidget(), &w);
    }
};

QTEST_MAIN(KeyboardTest)
#include "keyboard_test.moc"
