#include "link/ReconnectWait.h"

#include <QtTest>

using Numbers = QList<int>;

class ReconnectWaitTest : public QObject {
    Q_OBJECT
private slots:
    // Each reason is logged once when it first appears, again only after another reason or a
    // new wait; nothing is logged outside a wait.
    void reasonsAreLoggedWhenTheyChange() {
        struct Step {
            const char *action; // "begin", "end", "opened" or a failure reason
            bool logged;
        };
        const QList<Step> steps = {
            {"No such file or directory", false}, // not waiting yet
            {"begin", false},
            {"No such file or directory", true},
            {"No such file or directory", false},
            {"Permission denied", true},
            {"Permission denied", false},
            {"No such file or directory", true},
            {"opened", false},
            {"No such file or directory", false}, // the wait is over
            {"begin", false},
            {"No such file or directory", true}, // a new wait logs afresh
            {"end", false},
            {"Permission denied", false},
        };
        ReconnectWait wait;
        for (const Step &step : steps) {
            const QString action = QString::fromLatin1(step.action);
            bool logged = false;
            if (action == "begin")
                wait.begin();
            else if (action == "end")
                wait.end();
            else if (action == "opened")
                wait.tryOpened();
            else
                logged = wait.tryFailed(action);
            QVERIFY2(logged == step.logged, step.action);
        }
    }

    void waitingLastsFromBeginToEndOrOpened() {
        ReconnectWait wait;
        QVERIFY(!wait.waiting());
        wait.begin();
        QVERIFY(wait.waiting());
        QVERIFY(wait.tryFailed("busy"));
        QVERIFY(wait.waiting());
        wait.tryOpened();
        QVERIFY(!wait.waiting());
        wait.begin();
        wait.end();
        QVERIFY(!wait.waiting());
    }

    void portMenuKeepsTheSelectedPort_data() {
        QTest::addColumn<Numbers>("present");
        QTest::addColumn<int>("selected");
        QTest::addColumn<Numbers>("listed");
        QTest::newRow("selected present") << Numbers{1, 2, 7} << 7 << Numbers{1, 2, 7};
        QTest::newRow("selected gone, in the middle") << Numbers{1, 9} << 7 << Numbers{1, 7, 9};
        QTest::newRow("selected gone, first") << Numbers{3, 4} << 2 << Numbers{2, 3, 4};
        QTest::newRow("selected gone, last") << Numbers{3, 4} << 12 << Numbers{3, 4, 12};
        QTest::newRow("nothing present") << Numbers{} << 7 << Numbers{7};
        QTest::newRow("no port selected") << Numbers{1, 2} << 0 << Numbers{1, 2};
        QTest::newRow("nothing at all") << Numbers{} << 0 << Numbers{};
        QTest::newRow("negative selects none") << Numbers{1} << -3 << Numbers{1};
    }
    void portMenuKeepsTheSelectedPort() {
        QFETCH(Numbers, present);
        QFETCH(int, selected);
        QFETCH(Numbers, listed);
        QCOMPARE(portMenuNumbers(present, selected), listed);
    }
};

QTEST_GUILESS_MAIN(ReconnectWaitTest)
#include "reconnect_wait_test.moc"
