// A window repaints at most once per screen refresh: changes made sooner after a paint are
// gathered and painted together at the next refresh, the last of them shown.
#include "ui/RepaintThrottle.h"

#include <QLabel>
#include <QVBoxLayout>
#include <QtTest>

namespace {

// A label that notes the text it showed each time it was painted.
class WatchedLabel : public QLabel {
public:
    using QLabel::QLabel;
    QStringList painted;

protected:
    void paintEvent(QPaintEvent *event) override {
        painted << text();
        QLabel::paintEvent(event);
    }
};

// A small window with one watched label, its repaints throttled.
struct ThrottledWindow {
    QWidget window;
    WatchedLabel *label = new WatchedLabel(QStringLiteral("start"), &window);
    RepaintThrottle throttle{&window};

    // Shows the window and waits until its first paints are over.
    bool shownAndSettled() {
        window.resize(200, 50);
        window.show();
        if (!QTest::qWaitForWindowExposed(&window))
            return false;
        return QTest::qWaitFor([this] { return !throttle.repaintDue(); });
    }
};

} // namespace

class RepaintThrottleTest : public QObject {
    Q_OBJECT
private slots:
    void changesBetweenRefreshesArePaintedTogether() {
        ThrottledWindow w;
        QVERIFY(w.shownAndSettled());
        WatchedLabel *label = w.label;
        RepaintThrottle &throttle = w.throttle;
        QTRY_VERIFY(!label->painted.isEmpty());

        // Each change in its own event-loop pass, as lines arrive one at a time.
        for (const char *text : {"one", "two", "three"}) {
            label->setText(QString::fromLatin1(text));
            QCoreApplication::processEvents();
        }
        QTRY_VERIFY(!throttle.repaintDue());
        QCoreApplication::processEvents();
        // However the passes fell against the refresh, the last text is what is on screen, and
        // at most one paint came before it.
        QCOMPARE(label->painted.last(), QStringLiteral("three"));
        const qsizetype paintsAfterStart =
            label->painted.size() - label->painted.indexOf("start") - 1;
        QVERIFY2(paintsAfterStart <= 2, qPrintable(label->painted.join(' ')));
    }

    void aRepaintHeldBackIsDue() {
        ThrottledWindow w;
        QVERIFY(w.shownAndSettled());
        QLabel *label = w.label;
        RepaintThrottle &throttle = w.throttle;
        // Two changes in quick succession: the second comes within a refresh of the first paint.
        label->setText(QStringLiteral("one"));
        QCoreApplication::processEvents();
        label->setText(QStringLiteral("two"));
        QCoreApplication::processEvents();
        QVERIFY(throttle.repaintDue());
        QTRY_VERIFY(!throttle.repaintDue());
    }

    // A change that has not touched a widget yet asks for a paint; the work before the paint
    // brings the widget up to date, once, and what it set is what the paint shows.
    void aRequestedRepaintRunsTheWorkBeforeIt() {
        ThrottledWindow w;
        WatchedLabel *label = w.label;
        RepaintThrottle &throttle = w.throttle;
        int runs = 0;
        QString pending;
        throttle.setBeforePaint([&] {
            ++runs;
            if (!pending.isEmpty())
                label->setText(pending);
        });
        QVERIFY(w.shownAndSettled());
        const int runsAtStart = runs;

        pending = QStringLiteral("new");
        throttle.requestRepaint();
        throttle.requestRepaint();
        QVERIFY(throttle.repaintDue());
        QTRY_COMPARE(label->painted.last(), QStringLiteral("new"));
        QCOMPARE(runs, runsAtStart + 1);
    }
};

QTEST_MAIN(RepaintThrottleTest)
#include "repaint_throttle_test.moc"
