// Ctrl+C, a service stop and a lost terminal reach the program as an event, with the signal's
// number, so it can close as if its window were closed.
#include "platform/StopSignals.h"

#include <QSignalSpy>
#include <QtTest>

#include <csignal>

class StopSignalsTest : public QObject {
    Q_OBJECT
private slots:
    void eachStopSignalBecomesARequest_data() {
        QTest::addColumn<int>("signalNumber");
        QTest::newRow("SIGINT") << int(SIGINT);
        QTest::newRow("SIGTERM") << int(SIGTERM);
        QTest::newRow("SIGHUP") << int(SIGHUP);
    }
    void eachStopSignalBecomesARequest() {
        QFETCH(int, signalNumber);
        StopSignals stopSignals;
        QVERIFY(stopSignals.installed());
        QSignalSpy requests(&stopSignals, &StopSignals::stopRequested);
        ::raise(signalNumber);
        // Nothing happens inside the handler: the request arrives through the event loop.
        QCOMPARE(requests.size(), 0);
        QVERIFY(requests.wait(5000));
        QCOMPARE(requests.size(), 1);
        QCOMPARE(requests.at(0).at(0).toInt(), signalNumber);
    }

    // Signals that arrive before the loop runs are all delivered, none merged or lost.
    void signalsInARowAreEachDelivered() {
        StopSignals stopSignals;
        QSignalSpy requests(&stopSignals, &StopSignals::stopRequested);
        ::raise(SIGHUP);
        ::raise(SIGTERM);
        QVERIFY(requests.wait(5000));
        QTRY_COMPARE(requests.size(), 2);
        QCOMPARE(requests.at(0).at(0).toInt(), int(SIGHUP));
        QCOMPARE(requests.at(1).at(0).toInt(), int(SIGTERM));
    }

    // Started under nohup, the program outlives its terminal.
    void aSignalIgnoredAtStartStaysIgnored() {
        ::signal(SIGHUP, SIG_IGN);
        {
            StopSignals stopSignals;
            QSignalSpy requests(&stopSignals, &StopSignals::stopRequested);
            ::raise(SIGHUP);
            ::raise(SIGTERM);
            QVERIFY(requests.wait(5000));
            QCOMPARE(requests.size(), 1);
            QCOMPARE(requests.at(0).at(0).toInt(), int(SIGTERM));
        }
        struct sigaction after {};
        sigaction(SIGHUP, nullptr, &after);
        QVERIFY(after.sa_handler == SIG_IGN);
        ::signal(SIGHUP, SIG_DFL);
    }
};

QTEST_GUILESS_MAIN(StopSignalsTest)
#include "stop_signals_test.moc"
