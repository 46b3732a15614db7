#include "platform/PortNumbering.h"
#include "platform/TerminalDevices.h"

#include "Pty.h"

#include <QtTest>

#include <QFile>
#include <QTemporaryDir>

using Links = QList<PortLink>;
using Ports = QList<NumberedPort>;

namespace {

// "7=/dev/ttyUSB0 12=/dev/pts/3" for reading failures at a glance; "-" marks a dead link.
QString describe(const Ports &ports) {
    QStringList parts;
    for (const NumberedPort &p : ports)
        parts << QStringLiteral("%1=%2%3").arg(p.number).arg(p.shownPath,
                                                             p.device.isEmpty() ? "-" : "");
    return parts.join(' ');
}

} // namespace

class PortNumberingTest : public QObject {
    Q_OBJECT
private slots:
    void linkNames_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("number"); // 0: not a port link
        QTest::newRow("com7") << "com7" << 7;
        QTest::newRow("com12") << "com12" << 12;
        QTest::newRow("no digits") << "com" << 0;
        QTest::newRow("zero") << "com0" << 0;
        QTest::newRow("leading zero") << "com07" << 0;
        QTest::newRow("upper case") << "COM7" << 0;
        QTest::newRow("trailing text") << "com7.bak" << 0;
        QTest::newRow("sign") << "com-1" << 0;
        QTest::newRow("too large") << "com99999999999" << 0;
        QTest::newRow("other name") << "lpt1" << 0;
    }
    void linkNames() {
        QFETCH(QString, name);
        QFETCH(int, number);
        QCOMPARE(linkPortNumber(name).value_or(0), number);
    }

    // Each row: names that must sort into exactly this order, whichever order they come in.
    void naturalOrder_data() {
        QTest::addColumn<QStringList>("sorted");
        QTest::newRow("runs of digits by value") << QStringList{"ttyS2", "ttyS10", "ttyS100"};
        QTest::newRow("leading zeros: equal value, then text")
            << QStringList{"ttyS002", "ttyS02", "ttyS2", "ttyS3"};
        QTest::newRow("shorter prefix first") << QStringList{"tty", "ttyS", "ttyS0"};
        QTest::newRow("digits against letters by code") << QStringList{"a1", "aa", "ab"};
        // Other scripts' digits are plain characters: "a" < "٣" < "12" < "a" was a cycle.
        QTest::newRow("Arabic-Indic three is no digit")
            << QStringList{"12", "a", QStringLiteral("٣")};
        QTest::newRow("full-width digits are no digits")
            << QStringList{"ttyS2", "ttyS10", QStringLiteral("ttyS１")};
    }
    void naturalOrder() {
        QFETCH(QStringList, sorted);
        for (qsizetype i = 0; i < sorted.size(); ++i) {
            QVERIFY2(!naturalLess(sorted[i], sorted[i]), qPrintable(sorted[i]));
            for (qsizetype j = i + 1; j < sorted.size(); ++j) {
                QVERIFY2(naturalLess(sorted[i], sorted[j]),
                         qPrintable(sorted[i] + " < " + sorted[j]));
                QVERIFY2(!naturalLess(sorted[j], sorted[i]),
                         qPrintable(sorted[j] + " < " + sorted[i]));
            }
        }
    }

    void numbering_data() {
        QTest::addColumn<Links>("links");
        QTest::addColumn<QStringList>("system");
        QTest::addColumn<QString>("expected");
        QTest::newRow("nothing") << Links{} << QStringList{} << "";
        QTest::newRow("groups, natural order")
            << Links{}
            << QStringList{"/dev/ttyACM0", "/dev/ttyS10",  "/dev/rfcomm0", "/dev/ttyUSB1",
                           "/dev/ttyS2",   "/dev/ttyUSB0", "/dev/ttyAMA0"}
            << "1=/dev/ttyS2 2=/dev/ttyS10 3=/dev/ttyUSB0 4=/dev/ttyUSB1 5=/dev/ttyACM0 "
               "6=/dev/rfcomm0 7=/dev/ttyAMA0";
        QTest::newRow("prefix alone is not the group")
            << Links{} << QStringList{"/dev/ttySAC0", "/dev/ttyS1"}
            << "1=/dev/ttyS1 2=/dev/ttySAC0";
        QTest::newRow("links hold their numbers")
            << Links{{2, "/dev/pts/4", "/dev/pts/4"}, {1, "/x/by-id/a", "/dev/ttyUSB3"}}
            << QStringList{"/dev/ttyS0", "/dev/ttyS1"}
            << "1=/x/by-id/a 2=/dev/pts/4 3=/dev/ttyS0 4=/dev/ttyS1";
        QTest::newRow("a dead link still holds its number")
            << Links{{1, "/x/by-id/gone", ""}} << QStringList{"/dev/ttyS0"}
            << "1=/x/by-id/gone- 2=/dev/ttyS0";
        QTest::newRow("a linked system port is listed once, under the link")
            << Links{{9, "/x/by-id/a", "/dev/ttyUSB0"}} << QStringList{"/dev/ttyUSB0", "/dev/ttyS0"}
            << "1=/dev/ttyS0 9=/x/by-id/a";
        QTest::newRow("names with other scripts' digits sort among the rest")
            << Links{} << QStringList{QStringLiteral("/dev/tty\u0663"), "/dev/ttya", "/dev/tty12"}
            << QStringLiteral("1=/dev/tty12 2=/dev/ttya 3=/dev/tty\u0663");
        QTest::newRow("a device the system lists twice is numbered once")
            << Links{} << QStringList{"/dev/ttyS1", "/dev/ttyS0", "/dev/ttyS1"}
            << "1=/dev/ttyS0 2=/dev/ttyS1";
        QTest::newRow("high link leaves the low numbers")
            << Links{{40, "/dev/pts/1", "/dev/pts/1"}} << QStringList{"/dev/ttyS0"}
            << "1=/dev/ttyS0 40=/dev/pts/1";
    }
    void numbering() {
        QFETCH(Links, links);
        QFETCH(QStringList, system);
        QFETCH(QString, expected);
        QCOMPARE(describe(numberPorts(links, system)), expected);
    }

    // Only symbolic links named comN count; what they reach is judged at the moment of asking.
    void linksInFolder() {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        QFile plain(dir.filePath("com3"));
        QVERIFY(plain.open(QIODevice::WriteOnly));
        plain.close();
        QVERIFY(QFile::link("/dev/null", dir.filePath("com5")));
        QVERIFY(QFile::link(dir.filePath("missing"), dir.filePath("com6")));
        QVERIFY(QFile::link(dir.filePath("com3"), dir.filePath("com8"))); // a regular file
        QVERIFY(QFile::link("/dev/zero", dir.filePath("com9"))); // a device, but no terminal
        QVERIFY(QFile::link("/dev/null", dir.filePath("serial")));
        Pty pty;
        QVERIFY(pty.isOpen());
        QVERIFY(QFile::link(pty.devicePath(), dir.filePath("com2")));

        const Links links = findPortLinks(dir.path());
        QStringList seen;
        for (const PortLink &l : links)
            seen << QStringLiteral("%1:%2").arg(l.number).arg(l.device);
        seen.sort();
        QCOMPARE(seen, (QStringList{"2:" + pty.devicePath(), "5:", "6:", "8:", "9:"}));
    }

    void terminalDriverTable_data() {
        QTest::addColumn<QByteArray>("table");
        QTest::addColumn<QList<TerminalNumbers>>("expected");
        QTest::newRow("single minor and ranges")
            << QByteArray("/dev/tty             /dev/tty        5       0 system:/dev/tty\n"
                          "serial               /dev/ttyS       4 64-111 serial\n"
                          "pty_slave            /dev/pts      136 0-1048575 pty:slave\n")
            << QList<TerminalNumbers>{{5, 0, 0}, {4, 64, 111}, {136, 0, 1048575}};
        QTest::newRow("a blank in the driver's name")
            << QByteArray("usb serial  /dev/ttyUSB  188 0-511 serial")
            << QList<TerminalNumbers>{{188, 0, 511}};
        QTest::newRow("malformed lines left out")
            << QByteArray("\nshort 4 64\nx /dev/x y 0 serial\nx /dev/x 4 9-2 serial\n"
                          "x /dev/x 4 1-2-3 serial\nx /dev/x 4 - serial")
            << QList<TerminalNumbers>{};
    }
    void terminalDriverTable() {
        QFETCH(QByteArray, table);
        QFETCH(QList<TerminalNumbers>, expected);
        QCOMPARE(parseTerminalDrivers(table), expected);
    }

    void terminalDevices_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<bool>("terminal");
        QTest::newRow("null device") << "/dev/null" << false;
        QTest::newRow("zero device") << "/dev/zero" << false;
        QTest::newRow("folder") << "/dev" << false;
        QTest::newRow("missing") << "/dev/no-such-device" << false;
        QTest::newRow("the process's terminal") << "/dev/tty" << true;
    }
    void terminalDevices() {
        QFETCH(QString, path);
        QFETCH(bool, terminal);
        QCOMPARE(isTerminalDevice(path), terminal);
    }
};

QTEST_APPLESS_MAIN(PortNumberingTest)
#include "port_numbering_test.moc"
