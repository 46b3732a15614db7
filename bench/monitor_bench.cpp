// How much of the GUI thread the monitor's steady work takes: decoding received lines and the
// tick's full repaint or link-failed display. Run with `make bench`; not part of the tests.
#include "MonitorFixture.h"
#include "link/StatusDecoder.h"
#include "ui/SessionRecorder.h"

#include <QTimer>
#include <QtTest>

namespace {

// A shown window whose tick the benchmark drives, past its start-up stages.
struct BenchWindow : MonitorFixture {
    BenchWindow() { state().TickCount = 1000; }
};

} // namespace

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
        BenchWindow b;
        QBENCHMARK {
            b.window().state().LinkSilenceCount = 0;
            b.window().Timer1_Timer();
            QCoreApplication::processEvents(); // the repaint the writes cause
        }
    }

    void failedTick() {
        BenchWindow b;
        QBENCHMARK {
            b.window().Timer1_Timer();
            QCoreApplication::processEvents();
        }
    }

    void receivedLineThroughTheWindow() {
        BenchWindow b;
        FakeSerial *serial = &b.serial();
        QBENCHMARK {
            serial->deliver(QStringLiteral("I:10110011 01001101 01\r"));
        }
    }

    // The same with the session recorded to a file: one write() more per line.
    void receivedLineThroughTheRecordingWindow() {
        BenchWindow b;
        QString error;
        b.window().setRecorder(SessionRecorder::create(b.host.folder + "/bench.rec", error));
        FakeSerial *serial = &b.serial();
        QBENCHMARK {
            serial->deliver(QStringLiteral("I:10110011 01001101 01\r"));
        }
    }
};

QTEST_MAIN(MonitorBench)
#include "monitor_bench.moc"
