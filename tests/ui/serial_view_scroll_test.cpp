// With the view shown, a refresh moves the lines already on the screen up and paints only the
// new ones. Whatever the steps, the window's picture of the view must be what painting every
// line afresh gives, and the lines must be in the labels in order.
#include "MonitorFixture.h"
#include "ui/RepaintThrottle.h"

#include <QGuiApplication>
#include <QLabel>
#include <QPixmap>
#include <QScreen>
#include <QtTest>

namespace {

// The view as the window's picture holds it (the offscreen platform grabs a window from its
// backing store, where the moved pixels are), and the view drawn afresh.
QImage viewOnScreen(Form1 &w) {
    QWidget *view = w.control(ControlId::Frame10);
    const QPoint at = view->mapTo(&w, QPoint());
    return QGuiApplication::primaryScreen()
        ->grabWindow(w.winId(), at.x(), at.y(), view->width(), view->height())
        .toImage()
        .convertToFormat(QImage::Format_RGB32);
}

QImage viewDrawnAfresh(Form1 &w) {
    return w.control(ControlId::Frame10)->grab().toImage().convertToFormat(QImage::Format_RGB32);
}

// Counts the paints a widget gets.
class PaintCount : public QObject {
public:
    explicit PaintCount(QWidget *w) { w->installEventFilter(this); }
    int paints = 0;

protected:
    bool eventFilter(QObject *, QEvent *event) override {
        paints += event->type() == QEvent::Paint;
        return false;
    }
};

int nextLine = 0;

// Steps: "lines N" (N received lines, numbered on from the last), "paint" (the next refresh),
// "failed" (eleven silent ticks: the help text), "freeze", "show"/"hide" (the menu command).
void run(MonitorFixture &f, const QStringList &steps) {
    Form1 &w = f.window();
    for (const QString &step : steps) {
        if (step.startsWith("lines ")) {
            for (int n = step.mid(6).toInt(); n > 0; --n) {
                ++nextLine;
                f.feed(QStringLiteral("I:%1 line %2").arg(nextLine % 2).arg(nextLine));
            }
        } else if (step == "paint") {
            f.nextViewRefresh();
        } else if (step == "failed") {
            f.ticks(12);
        } else if (step == "freeze") {
            w.FreezeButton_Click();
        } else if (step == "show" || step == "hide") {
            w.Show_Menu_Click();
        } else {
            QFAIL(qPrintable("unknown step " + step));
        }
    }
}

void shownAndPainted(MonitorFixture &f) {
    QVERIFY(QTest::qWaitForWindowExposed(&f.window()));
    f.window().Show_Menu_Click();
    f.window().repaintThrottle()->paintNow();
}

} // namespace

class SerialViewScrollTest : public QObject {
    Q_OBJECT
private slots:
    void thePictureIsTheViewDrawnAfresh_data() {
        QTest::addColumn<QStringList>("steps");
        const QString p = QStringLiteral("paint");
        QTest::newRow("one line") << QStringList{"lines 1", p};
        QTest::newRow("three lines in one refresh") << QStringList{"lines 3", p};
        QTest::newRow("nineteen lines") << QStringList{"lines 19", p};
        QTest::newRow("twenty lines: all new") << QStringList{"lines 20", p};
        QStringList oneAtATime;
        for (int n = 0; n < 40; ++n)
            oneAtATime << "lines 1" << p;
        QTest::newRow("forty lines, one refresh each") << oneAtATime;
        QTest::newRow("the help text, then lines")
            << QStringList{"lines 5", p, "failed", p, "lines 2", p, "lines 1", p};
        QTest::newRow("lines around a freeze")
            << QStringList{"lines 4", p, "freeze", "lines 3", p, "freeze", "lines 2", p};
        QTest::newRow("hidden and shown again")
            << QStringList{"lines 2", p, "hide", "lines 3", p, "show", p, "lines 1", p};
        QTest::newRow("lines before and after a paint that did not come")
            << QStringList{"lines 2", "lines 3", p, "lines 1", p};
    }
    void thePictureIsTheViewDrawnAfresh() {
        QFETCH(QStringList, steps);
        MonitorFixture f;
        shownAndPainted(f);
        run(f, steps);
        QCOMPARE(viewOnScreen(f.window()), viewDrawnAfresh(f.window()));
        for (int i = 1; i < kSerialViewLines; ++i) {
            const QString below = f.window().label(serialLine(i - 1))->text();
            const QString above = f.window().label(serialLine(i))->text();
            // Received lines are numbered upwards from the bottom: older lines are higher.
            if (below.contains("line") && above.contains("line"))
                QVERIFY2(below.section(' ', -1).toInt() > above.section(' ', -1).toInt(),
                         qPrintable(below + " / " + above));
        }
    }

    // The saving itself: one new line repaints the bottom line, not the twenty.
    void oneNewLinePaintsOnlyTheBottom() {
        MonitorFixture f;
        shownAndPainted(f);
        run(f, {"lines 20", "paint"});
        PaintCount bottom(f.window().label(serialLine(0)));
        PaintCount top(f.window().label(serialLine(19)));
        run(f, {"lines 1", "paint"});
        QCOMPARE(bottom.paints, 1);
        QCOMPARE(top.paints, 0);
        QCOMPARE(viewOnScreen(f.window()), viewDrawnAfresh(f.window()));
    }
};

QTEST_MAIN(SerialViewScrollTest)
#include "serial_view_scroll_test.moc"
