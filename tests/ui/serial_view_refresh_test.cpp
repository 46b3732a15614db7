// The serial view's labels follow the received lines at most once per screen refresh while the
// view is shown, and at once when it is shown: a person sees the last twenty lines in order.
#include "MonitorFixture.h"

#include "ui/PaintBudget.h"
#include "ui/RepaintThrottle.h"

#include <QLabel>
#include <QtTest>

namespace {

// The labels as they stand now, newest (line 0) first; read directly, not through the fixture,
// which would bring them up to date first.
QStringList labelsNow(Form1 &w) {
    QStringList lines;
    for (int i = 0; i < kSerialViewLines; ++i)
        lines << w.label(serialLine(i))->text();
    return lines;
}

// Newest first, padded with empty lines to the view's twenty.
QStringList view(QStringList newestFirst) {
    while (newestFirst.size() < kSerialViewLines)
        newestFirst << QString();
    return newestFirst;
}

QStringList counting(int from, int to) {
    QStringList out;
    for (int n = from; n >= to; --n)
        out << QString::number(n);
    return out;
}

// Steps: "show" and "hide" (the menu bar command), "freeze" (the button), "feed X" (a received
// line), "unread X" (a line the port holds but has not read: its reading pauses between paints),
// "lines N" (lines 1 to N), "refresh" (the next screen refresh the view may take lines at: the
// window paints).
void run(MonitorFixture &f, const QStringList &steps) {
    Form1 &w = f.window();
    for (const QString &step : steps) {
        if (step == "show" || step == "hide") {
            QCOMPARE(w.control(ControlId::Frame10)->isHidden(), step == "show");
            w.Show_Menu_Click();
        } else if (step == "freeze") {
            w.FreezeButton_Click();
        } else if (step.startsWith("feed ")) {
            f.feed(step.mid(5));
        } else if (step.startsWith("unread ")) {
            f.serial().unread << step.mid(7) + QLatin1Char('\r');
        } else if (step.startsWith("lines ")) {
            for (int n = 1; n <= step.mid(6).toInt(); ++n)
                f.feed(QString::number(n));
        } else if (step == "refresh") {
            f.nextViewRefresh();
        } else {
            QFAIL(qPrintable("unknown step " + step));
        }
    }
}

// What one second of lines at a steady rate does to a shown view, the window painted whenever its
// throttle has a paint due, on a clock the test moves on a millisecond at a time.
struct ViewSecond {
    int refreshes = 0;      // paints that brought new lines into the view
    qint64 longestWait = 0; // the longest a line waited to enter the view, in milliseconds
    QString fault;          // a view that was not the newest lines in order, when there was one
};

ViewSecond oneSecondAt(MonitorFixture &f, int linesPerSecond) {
    Form1 &w = f.window();
    RepaintThrottle &throttle = *w.repaintThrottle();
    ViewSecond second;
    int fed = 0;
    QString bottom = labelsNow(w).first();
    qint64 firstUnshownAt = -1;
    const qint64 start = throttle.now();
    for (int ms = 0; ms < 1000; ++ms, f.advanceClock(1)) {
        for (; fed < (ms + 1) * qint64(linesPerSecond) / 1000; ++fed) {
            if (firstUnshownAt < 0)
                firstUnshownAt = throttle.now();
            f.feed(QStringLiteral("line %1").arg(fed + 1));
        }
        if (!throttle.repaintDue() || throttle.dueAt() > throttle.now())
            continue;
        throttle.paintNow();
        const QStringList now = labelsNow(w);
        if (now.first() == bottom)
            continue;
        bottom = now.first();
        ++second.refreshes;
        second.longestWait = std::max(second.longestWait, throttle.now() - firstUnshownAt);
        firstUnshownAt = -1;
        QStringList newest;
        for (int n = fed; n > 0 && newest.size() < kSerialViewLines; --n)
            newest << QStringLiteral("line %1").arg(n);
        if (now != view(newest) && second.fault.isEmpty())
            second.fault =
                QStringLiteral("at %1 ms: %2").arg(throttle.now() - start).arg(now.join('|'));
    }
    return second;
}

} // namespace

class SerialViewRefreshTest : public QObject {
    Q_OBJECT
private slots:
    void labelsAfterTheSteps_data() {
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<bool>("refreshPending");
        QTest::addColumn<QStringList>("labels");

        QTest::newRow("shown: lines wait for the refresh")
            << QStringList{"show", "feed a", "feed b"} << true << view({});
        QTest::newRow("shown: one refresh brings every line, in order")
            << QStringList{"show", "feed a", "feed b", "refresh"} << false << view({"b", "a"});
        QTest::newRow("shown: thirty lines in one refresh leave the last twenty")
            << QStringList{"show", "lines 30", "refresh"} << false << counting(30, 11);
        QTest::newRow("hidden: nothing is scheduled")
            << QStringList{"feed a", "feed b"} << false << view({});
        QTest::newRow("hidden, then shown: the last twenty at once")
            << QStringList{"lines 25", "show"} << false << counting(25, 6);
        QTest::newRow("shown and frozen: lines do not enter")
            << QStringList{"show", "feed a", "refresh", "freeze", "feed b", "feed c"} << false
            << view({"a"});
        QTest::newRow("frozen, hidden and shown again: running, the frozen lines never appear")
            << QStringList{"show", "feed a", "freeze", "feed b",
                           "hide", "show",   "feed c", "refresh"}
            << false << view({"c", "a"});
        QTest::newRow("hidden with a refresh pending, shown again: the newest lines")
            << QStringList{"show", "feed a", "hide", "feed b", "refresh", "show"} << false
            << view({"b", "a"});
        QTest::newRow("shown: a refresh reads what the port holds and shows it at once")
            << QStringList{"show", "feed a", "unread b", "unread c", "refresh"} << false
            << view({"c", "b", "a"});
        QTest::newRow("a refresh with nothing new changes nothing")
            << QStringList{"show", "feed a", "refresh", "refresh"} << false << view({"a"});
    }
    void labelsAfterTheSteps() {
        QFETCH(QStringList, steps);
        QFETCH(bool, refreshPending);
        QFETCH(QStringList, labels);
        MonitorFixture f;
        run(f, steps);
        QCOMPARE(f.window().repaintThrottle()->repaintDue(), refreshPending);
        QCOMPARE(labelsNow(f.window()), labels);
    }

    // Whatever the rate, the view takes new lines at most 30 times a second, each time all of
    // them, in order, and no line waits longer than the view's period and a refresh.
    void theViewIsRepaintedAtMostThirtyTimesASecond_data() {
        QTest::addColumn<int>("linesPerSecond");
        QTest::addColumn<int>("fewestRefreshes");
        QTest::newRow("10 lines/s: each line at once") << 10 << 10;
        QTest::newRow("30 lines/s") << 30 << 25;
        QTest::newRow("80 lines/s: the controller at 9600 baud") << 80 << 29;
        QTest::newRow("20,000 lines/s") << 20000 << 29;
    }
    void theViewIsRepaintedAtMostThirtyTimesASecond() {
        QFETCH(int, linesPerSecond);
        QFETCH(int, fewestRefreshes);
        MonitorFixture f;
        f.stopClock();
        run(f, {"show"});
        const ViewSecond second = oneSecondAt(f, linesPerSecond);
        QVERIFY2(second.fault.isEmpty(), qPrintable(second.fault));
        QVERIFY2(second.refreshes <= 30, qPrintable(QString::number(second.refreshes)));
        QVERIFY2(second.refreshes >= fewestRefreshes,
                 qPrintable(QString::number(second.refreshes)));
        QVERIFY2(second.longestWait <=
                     kSerialViewMilliseconds + RepaintThrottle::kRefreshMilliseconds,
                 qPrintable(QString::number(second.longestWait)));
    }

    // The rest of the window does not wait for the view's turn: a changed indicator is painted
    // at the next refresh, the view's new lines at theirs.
    void anIndicatorIsPaintedAtTheNextRefreshWhileTheViewWaits() {
        MonitorFixture f;
        QVERIFY(QTest::qWaitForWindowExposed(&f.window()));
        f.stopClock();
        RepaintThrottle &throttle = *f.window().repaintThrottle();
        run(f, {"show", "feed a", "refresh"});
        const qint64 viewPainted = throttle.now();
        f.advanceClock(5);
        run(f, {"feed b", "feed C:42"});
        QCoreApplication::sendPostedEvents(&f.window(), QEvent::UpdateRequest);
        QVERIFY(throttle.repaintDue());
        QCOMPARE(throttle.dueAt(), viewPainted + RepaintThrottle::kRefreshMilliseconds);

        f.advanceClock(throttle.dueAt() - throttle.now());
        throttle.paintNow();
        QCOMPARE(f.window().label(ControlId::LG_CycleCount)->text(), "42");
        QCOMPARE(labelsNow(f.window()), view({"a"}));
        QVERIFY(throttle.repaintDue());
        QCOMPARE(throttle.dueAt(), viewPainted + kSerialViewMilliseconds);

        f.advanceClock(throttle.dueAt() - throttle.now());
        throttle.paintNow();
        QCOMPARE(labelsNow(f.window()), view({"C:42", "b", "a"}));
        QVERIFY(!throttle.repaintDue());
    }

    // Decoding runs for every line as it arrives, whatever the view does.
    void decodingDoesNotWaitForTheRefresh() {
        MonitorFixture f;
        run(f, {"show", "feed V:7", "feed C:42"});
        QCOMPARE(f.window().label(ControlId::FirmwareVersion)->text(), "7");
        QCOMPARE(f.window().label(ControlId::LG_CycleCount)->text(), "42");
        QCOMPARE(f.state().LastLine, "C:42");
    }

    // The link-failed display reaches a shown view within one refresh, and received lines then
    // push the help text up, one line each.
    void helpTextWhileShown() {
        MonitorFixture f;
        run(f, {"show"});
        f.ticks(1);
        QVERIFY(f.window().repaintThrottle()->repaintDue());
        run(f, {"refresh"});
        QCOMPARE(f.window().label(serialLine(18))->text(), " COMM PORT SETTINGS");
        QCOMPARE(f.window().label(serialLine(6))->text(), "  BAUD      = 9,600");
        run(f, {"feed I:1", "refresh"});
        QCOMPARE(f.window().label(serialLine(0))->text(), "I:1");
        QCOMPARE(f.window().label(serialLine(19))->text(), " COMM PORT SETTINGS");
        QCOMPARE(f.window().label(serialLine(7))->text(), "  BAUD      = 9,600");
    }
};

QTEST_MAIN(SerialViewRefreshTest)
#include "serial_view_refresh_test.moc"
