// Which reads are followed by a pause: a slow sender waits a refresh in the system's buffer, a
// fast one is read as it arrives, so a pause never leaves a terminal's input buffer full. And on
// a real QSerialPort the pause holds the port's reading off, and its end lets it go on.
#include "Pty.h"
#include "platform/ReadPause.h"

#include <QSerialPort>
#include <QSignalSpy>
#include <QtTest>

#include <poll.h>

namespace {
constexpr int kPauseMs = 17;

// One read: the bytes it brought, microseconds after the read before (-1: the first read).
struct Read {
    qint64 bytes;
    qint64 afterUs;
};
} // namespace

Q_DECLARE_METATYPE(QList<Read>)

class ReadPauseTest : public QObject {
    Q_OBJECT
private slots:
    // "P" where a pause follows the read, "-" where the port reads on as bytes arrive.
    void pausesAfterReads_data() {
        QTest::addColumn<QList<Read>>("reads");
        QTest::addColumn<QString>("pauses");
        const qint64 most = ReadPause::kMostBytesPerPause;
        QTest::newRow("a 9600 baud controller, a line every 12 ms")
            << QList<Read>{{13, -1}, {13, 12'000}, {26, 17'000}} << "PPP";
        QTest::newRow("256000 baud, 450 bytes a pause")
            << QList<Read>{{13, -1}, {450, 17'000}} << "PP";
        QTest::newRow("just the most a pause may hold, and a byte more")
            << QList<Read>{{most, -1}, {most + 1, 17'000}} << "P-";
        QTest::newRow("flat out: small reads between full buffers still read on")
            << QList<Read>{{4096, -1}, {4096, 200}, {100, 3'000}, {60, 4'000}, {4096, 300}}
            << "-----";
        QTest::newRow("a burst, then a quiet pause's length, then a line")
            << QList<Read>{{4096, -1}, {13, 17'000}} << "-P";
        QTest::newRow("a burst fades out over one pause")
            << QList<Read>{{2048, -1}, {13, 8'500}, {13, 8'500}} << "--P";
    }
    void pausesAfterReads() {
        QFETCH(QList<Read>, reads);
        QFETCH(QString, pauses);
        RecentBytes recent;
        QString got;
        for (const Read &read : reads) {
            recent.add(read.bytes, read.afterUs < 0 ? -1 : read.afterUs * 1000, kPauseMs);
            got += recent.bytes <= ReadPause::kMostBytesPerPause ? 'P' : '-';
        }
        QCOMPARE(got, pauses);
    }

    // The pause leans on how QSerialPort reads (a read notifier, its child): should a Qt version
    // read differently, this fails rather than the pacing quietly going away.
    void holdsTheReadingOffUntilItEnds() {
        Pty pty;
        QSerialPort port(pty.devicePath());
        QVERIFY(port.open(QIODevice::ReadOnly));
        int ended = 0;
        ReadPause pause(port, [&] { ++ended; });
        pause.setMilliseconds(60'000);
        QSignalSpy arrived(&port, &QSerialPort::readyRead);

        QVERIFY(pty.write("A\r"));
        QVERIFY(arrived.wait(5000));
        QCOMPARE(port.readAll(), "A\r");
        pause.begin(2);
        QVERIFY(pause.active());

        QVERIFY(pty.write("B\r"));
        pollfd device{int(port.handle()), POLLIN, 0};
        QCOMPARE(::poll(&device, 1, 5000), 1); // B is there to read
        for (int pass = 0; pass < 10; ++pass)
            QCoreApplication::processEvents();
        QCOMPARE(arrived.count(), 1);
        QCOMPARE(port.bytesAvailable(), 0);

        pause.setMilliseconds(1);
        pause.begin(0);
        QTRY_COMPARE(ended, 1);
        QTRY_COMPARE(arrived.count(), 2);
        QCOMPARE(port.readAll(), "B\r");
    }
};

QTEST_GUILESS_MAIN(ReadPauseTest)
#include "read_pause_test.moc"
