#include "settings/FileErrors.h"
#include "settings/SettingsFile.h"

#include <QtTest>

#include <cerrno>

namespace {

QStringList fields(const PortSettingsRecord &s) {
    return {s.Name, s.Speed, s.Parity, s.DataLength, s.FlowControl, s.StopBits};
}

PortSettingsRecord record(const QStringList &f) {
    return {f.value(0), f.value(1), f.value(2), f.value(3), f.value(4), f.value(5)};
}

const QString kVersion =
    QStringLiteral("Version 1.0.3  (28 FEB 2010)  -  Supports Controller version 2.2.0");

// The file as it must be on disk, byte for byte.
QByteArray expectedFile(const QByteArray &time, const QList<QByteArray> &v) {
    return QList<QByteArray>{
        R"(<?xml version="1.0" standalone="no"?>)",
        "<!--Quorvels Landing Gear Control er Monitor, " + kVersion.toLatin1() + " -->",
        " <CONFIGURATION>",
        "   <LOCALTIME>" + time + "</LOCALTIME>",
        "   <COMM_PORTS>",
        "      <LG_PORT_NAME>" + v[0] + "</LG_PORT_NAME>",
        "      <LG_PORT_SPEED>" + v[1] + "</LG_PORT_SPEED>",
        "      <LG_PORT_PARITY>" + v[2] + "</LG_PORT_PARITY>",
        "      <LG_PORT_DATA_LENGTH>" + v[3] + "</LG_PORT_DATA_LENGTH>",
        "      <LG_PORT_FLOW_CONTROL>" + v[4] + "</LG_PORT_FLOW_CONTROL>",
        "      <LG_PORT_STOP_BITS>" + v[5] + "</LG_PORT_STOP_BITS>",
        "   </COMM_PORTS>",
        " </CONFIGURATION>",
        "",
    }
        .join("\r\n");
}

QByteArray readBytes(const QString &path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

} // namespace

class SettingsFileTest : public QObject {
    Q_OBJECT
    QTemporaryDir dir_;

    QString path() const { return settingsFilePath(dir_.path()); }

private slots:
    void path_isInTheProgramFolder() {
        QCOMPARE(settingsFilePath(QStringLiteral("/opt/gear")),
                 QStringLiteral("/opt/gear/VovazuzoVevoZavovav.XML"));
    }

    void format_data() {
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<QDateTime>("time");
        QTest::addColumn<QStringList>("values");
        QTest::addColumn<QByteArray>("expected");
        const QStringList typical{"Com3", "9600", "None", "8", "RTS/CTS", "1.5"};
        const QList<QByteArray> typicalBytes{"Com3", "9600", "None", "8", "RTS/CTS", "1.5"};
        QTest::newRow("English month, early hour padded")
            << QLocale::c() << QDateTime(QDate(2026, 12, 6), QTime(2, 45, 40)) << typical
            << expectedFile("6 Dec 2026  02:45:40", typicalBytes);
        // German names; the umlaut must come out as one Latin-1 byte.
        QTest::newRow("German month with umlaut")
            << QLocale(QLocale::German, QLocale::Germany)
            << QDateTime(QDate(2026, 3, 16), QTime(23, 5, 9)) << typical
            << expectedFile("16 M\xE4rz 2026  23:05:09", typicalBytes);
        QTest::newRow("nothing chosen yet: six empty elements")
            << QLocale::c() << QDateTime(QDate(2027, 1, 1), QTime(0, 0, 0)) << QStringList()
            << expectedFile("1 Jan 2027  00:00:00", {"", "", "", "", "", ""});
        QTest::newRow("values written unescaped and untrimmed")
            << QLocale::c() << QDateTime(QDate(2026, 12, 6), QTime(2, 45, 40))
            << QStringList{" a&b ", "<x>", QStringLiteral("\u00E9"), "", "", ""}
            << expectedFile("6 Dec 2026  02:45:40", {" a&b ", "<x>", "\xE9", "", "", ""});
    }
    void format() {
        QFETCH(QLocale, locale);
        QFETCH(QDateTime, time);
        QFETCH(QStringList, values);
        QFETCH(QByteArray, expected);
        QCOMPARE(formatSettingsFile(record(values), kVersion, time, locale), expected);
    }

    // Expected: "tag=value" for an element, "skipped" or "overflow".
    void scan_data() {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("expected");
        QTest::newRow("indented element") << "      <LG_PORT_NAME>Com3</LG_PORT_NAME>"
                                          << "LG_PORT_NAME=Com3";
        QTest::newRow("two elements: the first counts") << "<A>1</A><B>2</B>"
                                                        << "A=1";
        QTest::newRow("> inside the value") << "<A>x>y</A>"
                                            << "A=x>y";
        QTest::newRow("lower-case tag kept as is") << "<lg_port_name>C</lg_port_name>"
                                                   << "lg_port_name=C";
        QTest::newRow("blank before >") << "<LG_PORT_NAME >C</LG_PORT_NAME>"
                                        << "LG_PORT_NAME =C";
        QTest::newRow("empty value") << "<LG_PORT_SPEED></LG_PORT_SPEED>"
                                     << "LG_PORT_SPEED=";
        QTest::newRow("closing name never compared") << "<A>v</B"
                                                     << "A=v";
        QTest::newRow("declaration") << R"(<?xml version="1.0" standalone="no"?>)"
                                     << "skipped";
        QTest::newRow("opening tag only") << " <CONFIGURATION>"
                                          << "skipped";
        QTest::newRow("closing tag only") << "   </COMM_PORTS>"
                                          << "skipped";
        QTest::newRow("no > at all") << "<Av</A"
                                     << "skipped";

        const QString pad = QString(32766, QLatin1Char('x'));
        QTest::newRow("lone < at 32766") << pad.left(32765) + "<"
                                         << "skipped";
        QTest::newRow("lone < at 32767") << pad + "<"
                                         << "overflow";
        QTest::newRow("value end at 32767") << "<A>" + pad.left(32763) + "</A>"
                                            << "A=" + pad.left(32763);
        QTest::newRow("value end at 32768") << "<A>" + pad.left(32764) + "</A>"
                                            << "overflow";
        QTest::newRow("no >, </ past 32767 still overflows") << "<A" + pad + "</A"
                                                             << "overflow";
    }
    void scan() {
        QFETCH(QString, line);
        QFETCH(QString, expected);
        const ScanResult r = scanSettingsLine(line);
        const QString got = r.kind == ScanResult::Element   ? r.tag + '=' + r.value
                            : r.kind == ScanResult::Skipped ? QStringLiteral("skipped")
                                                            : QStringLiteral("overflow");
        QCOMPARE(got, expected);
    }

    void apply_data() {
        QTest::addColumn<QString>("tag");
        QTest::addColumn<int>("field"); // index into fields(), -1 for "ignored"
        QTest::newRow("name") << "LG_PORT_NAME" << 0;
        QTest::newRow("speed") << "LG_PORT_SPEED" << 1;
        QTest::newRow("parity") << "LG_PORT_PARITY" << 2;
        QTest::newRow("data length") << "LG_PORT_DATA_LENGTH" << 3;
        QTest::newRow("flow control") << "LG_PORT_FLOW_CONTROL" << 4;
        QTest::newRow("stop bits") << "LG_PORT_STOP_BITS" << 5;
        QTest::newRow("lower case") << "lg_port_name" << -1;
        QTest::newRow("trailing blank") << "LG_PORT_NAME " << -1;
        QTest::newRow("time of writing") << "LOCALTIME" << -1;
    }
    void apply() {
        QFETCH(QString, tag);
        QFETCH(int, field);
        const QStringList before{"n", "s", "p", "d", "f", "b"};
        PortSettingsRecord s = record(before);
        QCOMPARE(applySettingsElement(s, tag, QStringLiteral(" new ")), field >= 0);
        QStringList after = before;
        if (field >= 0)
            after[field] = QStringLiteral(" new ");
        QCOMPARE(fields(s), after);
    }

    void writeThenRead_givesTheRecordBack() {
        const QStringList values{"Com12", "57600", "Even", "7", "Xon/Xoff", "2"};
        const QByteArray bytes =
            formatSettingsFile(record(values), kVersion, QDateTime::currentDateTime(), QLocale());
        QCOMPARE(writeSettingsFile(path(), bytes), 0);
        QCOMPARE(readBytes(path()), bytes);
        PortSettingsRecord back;
        QCOMPARE(readSettingsFile(path(), back), 0);
        QCOMPARE(fields(back), values);
    }

    void rewrite_replacesWholeFileAndLeavesNothingElse() {
        QCOMPARE(writeSettingsFile(path(), QByteArray(5000, 'a')), 0);
        QCOMPARE(writeSettingsFile(path(), "short\r\n"), 0);
        QCOMPARE(readBytes(path()), QByteArray("short\r\n"));
        QCOMPARE(QDir(dir_.path()).entryList(QDir::Files | QDir::Hidden),
                 QStringList{kSettingsFileName});
    }

    // Every row starts from a record that already holds "old" everywhere.
    void read_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("expected");
        const QString o = QStringLiteral("old");
        QTest::newRow("CR LF") << QByteArray("<LG_PORT_NAME>Com1</LG_PORT_NAME>\r\n"
                                             "<LG_PORT_SPEED>9600</LG_PORT_SPEED>\r\n")
                               << QStringList{"Com1", "9600", o, o, o, o};
        QTest::newRow("lone LF") << QByteArray("<LG_PORT_NAME>Com1</LG_PORT_NAME>\n"
                                               "<LG_PORT_SPEED>9600</LG_PORT_SPEED>\n")
                                 << QStringList{"Com1", "9600", o, o, o, o};
        QTest::newRow("lone CR") << QByteArray("<LG_PORT_NAME>Com1</LG_PORT_NAME>\r"
                                               "<LG_PORT_SPEED>9600</LG_PORT_SPEED>\r")
                                 << QStringList{"Com1", "9600", o, o, o, o};
        QTest::newRow("last line unterminated")
            << QByteArray("\r\n<LG_PORT_PARITY>Odd</LG_PORT_PARITY>")
            << QStringList{o, o, "Odd", o, o, o};
        QTest::newRow("CR splits an element")
            << QByteArray("<LG_PORT_NAME>Com\r1</LG_PORT_NAME>") << QStringList{o, o, o, o, o, o};
        QTest::newRow("later element wins")
            << QByteArray("<LG_PORT_STOP_BITS>1</LG_PORT_STOP_BITS>\r\n"
                          "<LG_PORT_STOP_BITS>2</LG_PORT_STOP_BITS>\r\n")
            << QStringList{o, o, o, o, o, "2"};
        QTest::newRow("Latin-1 byte") << QByteArray("<LG_PORT_FLOW_CONTROL>\xE9</x>")
                                      << QStringList{o, o, o, o, QStringLiteral("\u00E9"), o};
        QTest::newRow("empty file") << QByteArray() << QStringList{o, o, o, o, o, o};
        // A value longer than one read of the file must still arrive whole.
        const QByteArray longValue(10000, 'v');
        QTest::newRow("line across reads") << "<LG_PORT_NAME>" + longValue + "</LG_PORT_NAME>\r\n"
                                           << QStringList{longValue, o, o, o, o, o};
        QTest::newRow("CR LF split across reads")
            << QByteArray(4095, ' ') + "\r\n<LG_PORT_SPEED>1</x>"
            << QStringList{o, "1", o, o, o, o};
    }
    void read() {
        QFETCH(QByteArray, bytes);
        QFETCH(QStringList, expected);
        QCOMPARE(writeSettingsFile(path(), bytes), 0);
        PortSettingsRecord s = record(QStringList(6, QStringLiteral("old")));
        QCOMPARE(readSettingsFile(path(), s), 0);
        QCOMPARE(fields(s), expected);
    }

    void read_overflowKeepsWhatWasReadBefore() {
        const QByteArray bytes = "<LG_PORT_NAME>Com1</LG_PORT_NAME>\r\n" + QByteArray(32766, ' ') +
                                 "<\r\n" + "<LG_PORT_SPEED>9600</LG_PORT_SPEED>\r\n";
        QCOMPARE(writeSettingsFile(path(), bytes), 0);
        PortSettingsRecord s = record(QStringList(6, QStringLiteral("old")));
        QCOMPARE(readSettingsFile(path(), s), FileError::Overflow);
        QCOMPARE(fields(s), (QStringList{"Com1", "old", "old", "old", "old", "old"}));
    }

    void errorText_data() {
        QTest::addColumn<int>("number");
        QTest::addColumn<QString>("text");
        QTest::newRow("overflow") << 6 << "Error Number at Load/Save Files6";
        QTest::newRow("unlisted errno")
            << 1000 + ENAMETOOLONG
            << QString("Error Number at Load/Save Files%1").arg(1000 + ENAMETOOLONG);
        QTest::newRow("refused save") << FileError::SettingTooLong
                                      << "A setting is too long to be read back; the file was "
                                         "not changed";
        QTest::newRow("line beyond the bound")
            << FileError::LineTooLong << "A line of the file is too long to be read";
        QTest::newRow("folder") << FileError::FolderNotFile
                                << "A folder stands where the file should be";
        QTest::newRow("pipe or device")
            << FileError::SpecialNotFile
            << "Not a file but a device, pipe or socket; it was not read";
    }
    void errorText() {
        QFETCH(int, number);
        QFETCH(QString, text);
        QCOMPARE(settingsErrorText(number), text);
    }

    void failureMessage_namesTheFile() {
        QCOMPARE(settingsFailureMessage(70, QStringLiteral("/p/VovazuzoVevoZavovav.XML")),
                 QStringLiteral("Permission denied\r\nParameter File Name = "
                                "/p/VovazuzoVevoZavovav.XML\r\n"));
    }

    // The system tests make the other numbers for real; an I/O error cannot be made on demand.
    void errnoNumber_ioErrorAndUnlisted() {
        QCOMPARE(fileErrorNumber(EIO, path()), 57);
        QCOMPARE(fileErrorNumber(ENAMETOOLONG, path()), 1000 + ENAMETOOLONG);
    }

    void failures_data() {
        QTest::addColumn<bool>("writing");
        QTest::addColumn<QString>("subPath"); // below the temporary folder
        QTest::addColumn<int>("number");
        QTest::newRow("read, missing file") << false << "" << 53;
        QTest::newRow("read, missing folder") << false << "gone" << 76;
        QTest::newRow("write, missing folder") << true << "gone" << 76;
        QTest::newRow("read, a folder in the file's place")
            << false << "holder" << FileError::FolderNotFile;
        QTest::newRow("write, a folder in the file's place")
            << true << "holder" << FileError::FolderNotFile;
    }
    void failures() {
        QFETCH(bool, writing);
        QFETCH(QString, subPath);
        QFETCH(int, number);
        QTemporaryDir dir;
        QDir(dir.path()).mkpath(QStringLiteral("holder/") + kSettingsFileName);
        const QString file = settingsFilePath(dir.filePath(subPath));
        PortSettingsRecord s;
        const int got = writing ? writeSettingsFile(file, "x") : readSettingsFile(file, s);
        QCOMPARE(got, number);
        QCOMPARE(fields(s), QStringList(6));
    }
};

QTEST_GUILESS_MAIN(SettingsFileTest)
#include "settingsfile_test.moc"
