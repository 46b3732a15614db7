// How much of the GUI thread the monitor's steady work takes: decoding received lines and the
// tick's full repaint or link-failed display. Run with `make bench`; not part of the tests.
#include "MonitorFixture.h"
#include "link/StatusDecoder.h"
#include "mirror/HttpListener.h"
#include "mirror/MirrorServer.h"
#include "mirror/PanelReader.h"
#include "ui/SessionRecorder.h"

#include <QTimer>
#include <QWebSocket>
#include <QtTest>

#include <functional>
#include <memory>

namespace {

// A shown window whose tick the benchmark drives, past its start-up stages.
struct BenchWindow : MonitorFixture {
    BenchWindow() { state().TickCount = 1000; }
};

// Frames of five records whose cycle count and flags change from frame to frame.
QStringList changingLines() {
    QStringList lines;
    for (int n = 0; n < 64; ++n) {
        const QString bits = QString::number(n, 2).rightJustified(8, QLatin1Char('0'));
        lines << QStringLiteral("V:2.2.0\r") << QStringLiteral("C:%1\r").arg(1000000 + n)
              << QStringLiteral("F:11100\r") << QStringLiteral("O:%1\r").arg(bits.left(6))
              << QStringLiteral("I:%1 %2 01\r").arg(bits, bits.right(4) + bits.left(4));
    }
    return lines;
}

// Each window the offscreen platform shows or resizes says "This plugin does not support
// propagateSizeHints()" on Qt's default category, some 180 times a run, burying the results.
// That one harmless message is dropped; every other goes on to Qt Test's own handler.
QtMessageHandler testHandler = nullptr;

void dropSizeHintsNotice(QtMsgType type, const QMessageLogContext &context,
                         const QString &message) {
    if (type == QtWarningMsg &&
        message == QLatin1String("This plugin does not support propagateSizeHints()"))
        return;
    testHandler(type, context, message);
}

} // namespace

class MonitorBench : public QObject {
    Q_OBJECT
private slots:
    // Qt Test installs its handler before the first test function runs.
    void initTestCase() { testHandler = qInstallMessageHandler(dropSizeHintsNotice); }

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

    // The gear lights, pumps and relays change at every tick, so every indicator is repainted,
    // as while the gear moves.
    void liveTickGearMoving() {
        BenchWindow b;
        bool up = false;
        QBENCHMARK {
            MonitorState &state = b.window().state();
            up = !up;
            for (int i = 0; i < 18; ++i)
                state.InputBits[i] = (i % 2 == 0) == up;
            for (int i = 0; i < 6; ++i)
                state.OutputBits[i] = up;
            state.ConfigFlags.C1 = state.ConfigFlags.C73 = up;
            state.LinkSilenceCount = 0;
            b.window().Timer1_Timer();
            QCoreApplication::processEvents();
        }
    }

    void failedTick() {
        BenchWindow b;
        QBENCHMARK {
            b.window().Timer1_Timer();
            QCoreApplication::processEvents();
        }
    }

    // Each line differs from the one before, as the controller's do, so every label it moves
    // really changes. Hidden: the line is decoded and kept for the view.
    void receivedLineThroughTheWindow() {
        BenchWindow b;
        FakeSerial *serial = &b.serial();
        const QStringList lines = changingLines();
        qsizetype next = 0;
        QBENCHMARK {
            serial->deliver(lines.at(next++ % lines.size()));
        }
    }

    // Shown, one line per refresh of the view (as at a slow line rate): the line is decoded, then
    // at the refresh the view's picture moves up a line and the new line is painted.
    void receivedLineWithTheViewShownAndRefreshed() {
        BenchWindow b;
        b.window().Show_Menu_Click();
        b.nextViewRefresh();
        FakeSerial *serial = &b.serial();
        const QStringList lines = changingLines();
        qsizetype next = 0;
        QBENCHMARK {
            serial->deliver(lines.at(next++ % lines.size()));
            b.nextViewRefresh();
        }
    }

    // The same with the session recorded to a file: one write() more per line.
    void receivedLineThroughTheRecordingWindow() {
        BenchWindow b;
        SessionRecorder::Refusal error;
        b.window().setRecorder(SessionRecorder::create(b.host.folder + "/bench.rec", error));
        FakeSerial *serial = &b.serial();
        QBENCHMARK {
            serial->deliver(QStringLiteral("I:10110011 01001101 01\r"));
        }
    }

    // The panel mirror's one snapshot, as it runs at most 20 times a second while a browser
    // watches: five changing lines (100 a second), the panel read from the widgets and what
    // changed sent to ten browsers on real sockets (the browsers' side runs here too).
    void mirrorSnapshotForTenClients() {
        BenchWindow b;
        auto *listener = new HttpListener;
        QVERIFY(listener->listen(QHostAddress::LocalHost, 0));
        const QByteArray key = "00112233445566778899aabbccddeeff";
        // One reader for the whole run, as the program keeps one while the mirror serves.
        auto reader = std::make_shared<PanelReader>(b.window());
        MirrorServer server(key, [reader] { return reader->read(); });
        server.serve(listener);
        std::vector<std::unique_ptr<QWebSocket>> clients;
        for (int i = 0; i < 10; ++i) {
            clients.push_back(std::make_unique<QWebSocket>());
            clients.back()->open(QUrl(QStringLiteral("ws://127.0.0.1:%1/%2/live")
                                          .arg(listener->serverPort())
                                          .arg(QLatin1String(key))));
        }
        QTRY_COMPARE(server.clientCount(), 10);
        fiveLinesAndARepaintThen(b, [&server] { server.sendSnapshot(); });
    }

    // The same five lines and repaint without the mirror, to subtract.
    void fiveLinesAndARepaint() {
        BenchWindow b;
        fiveLinesAndARepaintThen(b, [] {});
    }

private:
    // Five changing lines (100 a second, between two snapshots) and a repaint, then `after`.
    static void fiveLinesAndARepaintThen(BenchWindow &b, const std::function<void()> &after) {
        FakeSerial *serial = &b.serial();
        const QStringList lines = changingLines();
        qsizetype next = 0;
        QBENCHMARK {
            for (int i = 0; i < 5; ++i)
                serial->deliver(lines.at(next++ % lines.size()));
            b.window().RepaintPanel();
            after();
            QCoreApplication::processEvents();
        }
    }
};

QTEST_MAIN(MonitorBench)
#include "monitor_bench.moc"
