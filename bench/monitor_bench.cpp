// How much of the GUI thread the monitor's steady work takes: decoding received lines and the
// tick's full repaint or link-failed display. Run with `make bench`; not part of the tests.
#include "FakeHost.h"
#include "FakeSerial.h"
#include "link/StatusDecoder.h"
#include "ui/Form1.h"

#include <QTimer>
#include <QtTest>

class MonitorBench : public QObject {
    Q_OBJECT
private slots:
    void decodeOneFrameOfRecords() {
        const QStringList frame = {"V:2.2.0\r", "C:12345\r", "F:11100\r", "O:110010\r",
                                   "I:10110011 01001101 01\r"};
        MonitorState state;
        const QLocale locale = QLocale::system();
        QBENCHMARK {
            for (const QString &line : frame)
                decodeStatusLine(cleanDelivery(line), state, locale);
        }
    }

    void liveTick() {
        FakeHost host;
        Form1 window(host);
        window.timer()->stop();
        window.show();
        window.state().TickCount = 1000;
        QBENCHMARK {
            window.state().LinkSilenceCount = 0;
            window.Timer1_Timer();
            QCoreApplication::processEvents(); // the repaint the writes cause
        }
    }

    void failedTick() {
        FakeHost host;
        Form1 window(host);
        window.timer()->stop();
        window.show();
        window.state().TickCount = 1000;
        QBENCHMARK {
            window.Timer1_Timer();
            QCoreApplication::processEvents();
        }
    }

    void receivedLineThroughTheWindow() {
        FakeHost host;
        Form1 window(host);
        window.timer()->stop();
        window.show();
        auto *serial = host.lastSerial;
        QBENCHMARK {
            serial->deliver(QStringLiteral("I:10110011 01001101 01\r"));
        }
    }
};

QTEST_MAIN(MonitorBench)
#include "monitor_bench.moc"
