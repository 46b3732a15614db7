// The serial view's labels follow the received lines at most once per screen refresh while the
// view is shown, and at once when it is shown: a person sees the last twenty lines in order.
#include "MonitorFixture.h"

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
// "lines N" (lines 1 to N), "refresh" (the next screen refresh: the window paints).
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
            w.repaintThrottle()->paintNow();
        } else {
            QFAIL(qPrintable("unknown step " + step));
        }
    }
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
