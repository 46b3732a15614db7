// What the program prints as the mirror starts: the addresses to open, then a QR code of the first.
#include "mirror/StartLine.h"

#include <QtTest>

namespace {
constexpr char kKey[] = "00112233445566778899aabbccddeeff";
const QString kAt = "gear-monitor: panel mirror at ";
} // namespace

class StartLineTest : public QObject {
    Q_OBJECT
private slots:
    void addressesToOpen_data() {
        QTest::addColumn<QString>("given"); // empty: every interface
        QTest::addColumn<QStringList>("machine");
        QTest::addColumn<QStringList>("urls");
        const QString key = QLatin1String(kKey);
        QTest::newRow("given address alone")
            << "192.168.1.20" << QStringList{"10.0.0.5", "192.168.1.20"}
            << QStringList{"http://192.168.1.20:8421/" + key + "/"};
        QTest::newRow("given loopback") << "127.0.0.1" << QStringList{"10.0.0.5"}
                                        << QStringList{"http://127.0.0.1:8421/" + key + "/"};
        QTest::newRow("given IPv6, in brackets")
            << "::1" << QStringList{} << QStringList{"http://[::1]:8421/" + key + "/"};
        QTest::newRow("every IPv4 address but loopback")
            << "" << QStringList{"127.0.0.1", "10.0.0.5", "::1", "fe80::1", "192.168.1.20"}
            << QStringList{"http://10.0.0.5:8421/" + key + "/",
                           "http://192.168.1.20:8421/" + key + "/"};
        QTest::newRow("only loopback") << "" << QStringList{"127.0.0.1", "::1"}
                                       << QStringList{"http://127.0.0.1:8421/" + key + "/"};
        QTest::newRow("no address at all")
            << "" << QStringList{} << QStringList{"http://127.0.0.1:8421/" + key + "/"};
        QTest::newRow("an address twice") << "" << QStringList{"10.0.0.5", "10.0.0.5"}
                                          << QStringList{"http://10.0.0.5:8421/" + key + "/"};
    }
    void addressesToOpen() {
        QFETCH(QString, given);
        QFETCH(QStringList, machine);
        QFETCH(QStringList, urls);
        QList<QHostAddress> addresses;
        for (const QString &a : machine)
            addresses << QHostAddress(a);
        const QHostAddress address = given.isEmpty() ? QHostAddress() : QHostAddress(given);
        QCOMPARE(mirrorUrls(address, addresses, 8421, kKey), urls);
    }

    void oneLinePerAddressThenTheCode() {
        const QStringList urls{"http://10.0.0.5:8421/k/", "http://192.168.1.20:8421/k/"};
        const QStringList lines = startText(urls).split('\n');
        QCOMPARE(lines.at(0), kAt + urls.at(0));
        QCOMPARE(lines.at(1), kAt + urls.at(1));
        QCOMPARE(lines.mid(2, lines.size() - 3), qrCodeLines(urls.at(0).toUtf8()));
        QCOMPARE(lines.last(), QString()); // ends with a line end
    }

    // The code is square, in half blocks two rows to a line, framed by a light quiet zone, with
    // the dark-light-dark finder pattern in its corner.
    void qrCodeIsAWholeSquare() {
        const QStringList lines = qrCodeLines("http://192.168.1.20:8421/" + QByteArray(kKey) + "/");
        QVERIFY(!lines.isEmpty());
        const qsizetype side = lines.first().size();
        QCOMPARE(lines.size(), (side + 1) / 2);
        for (const QString &line : lines)
            QCOMPARE(line.size(), side);
        const QChar full(0x2588), lower(0x2584);
        QCOMPARE(lines.first(), QString(side, full)); // quiet zone: two light rows
        QCOMPARE(lines.at(1).at(0), full);            // and two light columns
        // Line 1 holds the code's first two rows: the finder's dark top edge over a row dark
        // at its two ends only.
        QCOMPARE(lines.at(1).mid(2, 7), " " + QString(5, lower) + " ");
        QCOMPARE(lines.at(1).at(1), full);
        QVERIFY(!qrCodeLines(QByteArray(8000, 'x')).size()); // too long for any code
    }
};

QTEST_APPLESS_MAIN(StartLineTest)
#include "start_line_test.moc"
