// The settings file as the window uses it: SAVE PORT, the read on tick 5 that restores the port
// settings and the check marks, and the messages when the file or its folder is missing.
#include "MonitorFixture.h"
#include "settings/SettingsFile.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QtTest>

namespace {

using C = ControlId;

const QStringList kCreationMarks = {"Menu_Baud_4800", "Menu_Parity_None", "Menu_Flow_None",
                                    "Menu_DataBits_8", "Menu_Stop_1"};

QByteArray fileWith(const QStringList &values) {
    static const char *const tags[] = {"LG_PORT_NAME",         "LG_PORT_SPEED",
                                       "LG_PORT_PARITY",       "LG_PORT_DATA_LENGTH",
                                       "LG_PORT_FLOW_CONTROL", "LG_PORT_STOP_BITS"};
    QByteArray bytes = " <CONFIGURATION>\r\n   <COMM_PORTS>\r\n";
    for (int i = 0; i < values.size(); ++i)
        bytes += QStringLiteral("      <%1>%2</%1>\r\n").arg(tags[i], values.at(i)).toLatin1();
    return bytes + "   </COMM_PORTS>\r\n </CONFIGURATION>\r\n";
}

void writeFile(const QString &path, const QByteArray &bytes) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(bytes), bytes.size());
}

QStringList fields(const PortSettingsRecord &s) {
    return {s.Name, s.Speed, s.Parity, s.DataLength, s.FlowControl, s.StopBits};
}

QString failureMessage(const QString &text, const QString &path) {
    return text + "\r\nParameter File Name = " + path + "\r\n";
}

enum class FileIs { Present, Absent, Damaged };
enum class SaveBy { SavePort, BaudChoice, PortChoice };

const QStringList kUsersSettings = {"Com3", "19200", "Even", "7", "Xon/Xoff", "2"};
const QStringList kUsersMarks = {"Menu_Baud_19200", "Menu_Parity_Even", "Menu_Flow_XonXoff",
                                 "Menu_DataBits_7", "Menu_Stop_2"};
// Its first element reads; the second stands beyond position 32767 and fails the read.
const QByteArray kDamagedFile =
    fileWith({"Com3"}) + QByteArray(40000, ' ') + "<LG_PORT_SPEED>19200</LG_PORT_SPEED>\r\n";

} // namespace

Q_DECLARE_METATYPE(FileIs)
Q_DECLARE_METATYPE(SaveBy)

class SettingsHandlerTest : public QObject {
    Q_OBJECT
private slots:
    void savePortWritesTheThirteenLines() {
        MonitorFixture f;
        f.window().Save_Menu_Click();
        const QString month = QLocale::system().monthName(12, QLocale::ShortFormat);
        const QByteArray expected =
            "<?xml version=\"1.0\" standalone=\"no\"?>\r\n"
            "<!--Quorvels Landing Gear Control er Monitor, Version 1.0.3  (28 FEB 2010)  -  "
            "Supports Controller version 2.2.0 -->\r\n"
            " <CONFIGURATION>\r\n"
            "   <LOCALTIME>6 " +
            month.toLatin1() +
            " 2026  02:45:40</LOCALTIME>\r\n"
            "   <COMM_PORTS>\r\n"
            "      <LG_PORT_NAME></LG_PORT_NAME>\r\n"
            "      <LG_PORT_SPEED></LG_PORT_SPEED>\r\n"
            "      <LG_PORT_PARITY></LG_PORT_PARITY>\r\n"
            "      <LG_PORT_DATA_LENGTH></LG_PORT_DATA_LENGTH>\r\n"
            "      <LG_PORT_FLOW_CONTROL></LG_PORT_FLOW_CONTROL>\r\n"
            "      <LG_PORT_STOP_BITS></LG_PORT_STOP_BITS>\r\n"
            "   </COMM_PORTS>\r\n"
            " </CONFIGURATION>\r\n";
        QCOMPARE(f.settingsBytes(), expected);
        QVERIFY(!f.state().SaveRequested && !f.state().LoadRequested);
        QVERIFY(f.host.messages.isEmpty());
        // Saving neither moves a check mark nor touches the port.
        QCOMPARE(f.checkedItems(), kCreationMarks);
        QCOMPARE(f.serial().calls, QStringList{});
    }

    void savePortWritesTheCurrentSettings() {
        MonitorFixture f;
        f.state().PortSettings = {"Com3", "57600", "Even", "7", "Xon/Xoff", "1.5"};
        f.window().Save_Menu_Click();
        const QByteArray bytes = f.settingsBytes();
        QVERIFY(bytes.contains("\r\n      <LG_PORT_NAME>Com3</LG_PORT_NAME>\r\n"
                               "      <LG_PORT_SPEED>57600</LG_PORT_SPEED>\r\n"
                               "      <LG_PORT_PARITY>Even</LG_PORT_PARITY>\r\n"
                               "      <LG_PORT_DATA_LENGTH>7</LG_PORT_DATA_LENGTH>\r\n"
                               "      <LG_PORT_FLOW_CONTROL>Xon/Xoff</LG_PORT_FLOW_CONTROL>\r\n"
                               "      <LG_PORT_STOP_BITS>1.5</LG_PORT_STOP_BITS>\r\n"));
    }

    // The read on tick 5 restores the record as stored; the check marks follow it, and a text
    // outside its group checks the item the window started with.
    void tickFiveRestoresSettingsAndMarks_data() {
        QTest::addColumn<QStringList>("stored");
        QTest::addColumn<QStringList>("marks");
        QTest::newRow("as the menus write them")
            << QStringList{"Com2", "57600", "Even", "7", "RTS/CTS", "2"}
            << QStringList{"Menu_Baud_57600", "Menu_Parity_Even", "Menu_Flow_RTS_CTS",
                           "Menu_DataBits_7", "Menu_Stop_2",      "Com2"};
        QTest::newRow("the other ends of each group")
            << QStringList{"None/Reset", "256000", "Space", "8", "Xon/Xoff", "1.5"}
            << QStringList{"Menu_Baud_256000", "Menu_Parity_Space", "Menu_Flow_XonXoff",
                           "Menu_DataBits_8",  "Menu_Stop_15",      "None/Reset"};
        QTest::newRow("unknown texts fall back, unlisted port unchecked")
            << QStringList{"Com9", "576000", "odd", "9", "rts/cts", "3"} << kCreationMarks;
        QTest::newRow("six empty elements")
            << QStringList{"", "", "", "", "", ""} << kCreationMarks;
    }
    void tickFiveRestoresSettingsAndMarks() {
        QFETCH(QStringList, stored);
        QFETCH(QStringList, marks);
        MonitorFixture f;
        f.serial().ports = {1, 2};
        writeFile(f.settingsPath(), fileWith(stored));
        f.state().LinkSilenceCount = 0;
        f.ticks(4);
        QCOMPARE(f.rendered(C::LG_CommOK), rgb(0x00FF00));

        f.ticks(1);
        QCOMPARE(fields(f.state().PortSettings), stored);
        QCOMPARE(f.checkedItems(), marks);
        QCOMPARE(f.caption(C::FirmwareVersion), "COMM FAIL"); // the read declares the link lost
        QVERIFY(!f.state().SaveRequested && !f.state().LoadRequested);
        QVERIFY(f.host.messages.isEmpty());
    }

    // The menus show the fallback, but the port opens with the text as it was stored.
    void theStoredTextOpensThePort() {
        MonitorFixture f;
        f.serial().ports = {2};
        writeFile(f.settingsPath(), fileWith({"Com2", "576000", "None", "8", "None", "1"}));
        f.ticks(10);
        QVERIFY(f.checkedItems().contains("Menu_Baud_4800"));
        QVERIFY(f.serial().calls.contains("speed 576000"));
        QCOMPARE(f.serial().calls.last(), "open 1");
    }

    // An empty file stores nothing: whatever was chosen before stays, the marks fall back.
    void anEmptyFileLeavesTheRecord() {
        MonitorFixture f;
        writeFile(f.settingsPath(), {});
        f.state().PortSettings.Speed = "9600";
        f.ticks(5);
        QCOMPARE(f.state().PortSettings.Speed, "9600");
        QCOMPARE(f.checkedItems().first(), "Menu_Baud_9600");
        QCOMPARE(f.state().LinkSilenceCount, 10);
        QVERIFY(f.host.messages.isEmpty());
    }

    void failuresAreReportedWithThePath_data() {
        QTest::addColumn<bool>("save");
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("text");
        QTest::newRow("first start, no file") << false << ""
                                              << "File not Found";
        QTest::newRow("read, no program folder") << false << "gone"
                                                 << "Path not found";
        QTest::newRow("save, no program folder") << true << "gone"
                                                 << "Path not found";
    }
    void failuresAreReportedWithThePath() {
        QFETCH(bool, save);
        QFETCH(QString, folder);
        QFETCH(QString, text);
        MonitorFixture f;
        if (!folder.isEmpty())
            f.host.folder = QDir(f.host.folder).filePath(folder);
        if (save)
            f.window().Save_Menu_Click();
        else
            f.ticks(5);
        QCOMPARE(f.host.beeps, 1);
        QCOMPARE(f.host.messages, QStringList{failureMessage(text, f.settingsPath())});
        QVERIFY(!f.state().SaveRequested && !f.state().LoadRequested);
        QCOMPARE(fields(f.state().PortSettings), QStringList({"", "", "", "", "", ""}));
        QCOMPARE(f.checkedItems(), kCreationMarks);
    }

    // Before the read at start, a save reads the file first, as that read does: a choice lands
    // on top of the user's settings instead of writing them over with empty ones, and a file
    // that cannot be read is left as it is. The read at start then reads as ever.
    void aSaveBeforeTheStartReadKeepsTheUsersSettings_data() {
        QTest::addColumn<FileIs>("file");
        QTest::addColumn<SaveBy>("save");
        QTest::addColumn<int>("tick");
        const std::pair<FileIs, const char *> files[] = {
            {FileIs::Present, "present"}, {FileIs::Absent, "absent"}, {FileIs::Damaged, "damaged"}};
        const std::pair<SaveBy, const char *> saves[] = {{SaveBy::SavePort, "SAVE PORT"},
                                                         {SaveBy::BaudChoice, "Baud 9600"},
                                                         {SaveBy::PortChoice, "Port Com7"}};
        for (const auto &[file, fileName] : files)
            for (const auto &[save, saveName] : saves)
                for (int tick = 0; tick <= 4; tick += 2) // the port menu is made at tick 2
                    QTest::addRow("%s, %s at tick %d", fileName, saveName, tick)
                        << file << save << tick;
    }
    void aSaveBeforeTheStartReadKeepsTheUsersSettings() {
        QFETCH(FileIs, file);
        QFETCH(SaveBy, save);
        QFETCH(int, tick);
        MonitorFixture f;
        f.serial().ports = {3, 7};
        if (file == FileIs::Present)
            writeFile(f.settingsPath(), fileWith(kUsersSettings));
        else if (file == FileIs::Damaged)
            writeFile(f.settingsPath(), kDamagedFile);
        f.ticks(tick);
        // Baud and Port are chosen from the Comm menu, which lists the ports as it opens.
        if (save != SaveBy::SavePort)
            f.window().CommMenu_AboutToShow();
        if (save == SaveBy::SavePort) {
            f.window().menuItem(MenuId::Save_Menu)->trigger();
        } else if (save == SaveBy::BaudChoice) {
            f.window().menuItem(MenuId::Menu_Baud_9600)->trigger();
        } else {
            const QList<QAction *> &items = f.window().portItems();
            const auto com7 = std::find_if(items.begin(), items.end(),
                                           [](QAction *item) { return item->text() == "Com7"; });
            QVERIFY(com7 != items.end());
            (*com7)->trigger();
        }

        QStringList settings = file == FileIs::Present ? kUsersSettings : QStringList(6);
        QStringList marks = file == FileIs::Present ? kUsersMarks : kCreationMarks;
        if (save == SaveBy::BaudChoice) {
            settings[1] = "9600";
            marks[0] = "Menu_Baud_9600";
        }
        if (save == SaveBy::PortChoice) {
            settings[0] = "Com7";
            marks << "Com7";
        } else if (file == FileIs::Present && (save != SaveBy::SavePort || tick >= 2)) {
            marks << "Com3"; // once the port items are there
        }
        const QStringList damagedMessage = {
            failureMessage("Error Number at Load/Save Files6", f.settingsPath())};
        if (file == FileIs::Damaged) {
            QCOMPARE(f.settingsBytes(), kDamagedFile);
            QCOMPARE(f.host.messages, damagedMessage);
        } else {
            PortSettingsRecord written;
            QCOMPARE(readSettingsBytes(f.settingsBytes(), written), 0);
            QCOMPARE(fields(written), settings);
            QCOMPARE(f.host.messages, QStringList{});
        }
        QCOMPARE(f.checkedItems(), marks);

        f.ticks(5 - tick);
        if (!marks.contains("Com3") && file == FileIs::Present && save == SaveBy::SavePort)
            marks << "Com3"; // the port items made on tick 2
        if (file == FileIs::Damaged) {
            QCOMPARE(f.host.messages, damagedMessage + damagedMessage);
        } else {
            QCOMPARE(fields(f.state().PortSettings), settings);
            QCOMPARE(f.checkedItems(), marks);
            QCOMPARE(f.host.messages, QStringList{});
        }
    }

    // A name read from a file without indent can be too long for the indented line SAVE PORT
    // writes: the save is refused and the file that holds it stays as it was.
    void aSettingThatWouldNotReadBackIsNotSaved() {
        MonitorFixture f;
        const QByteArray previous = "<LG_PORT_NAME>" + QByteArray(32752, 'n') + "</LG_PORT_NAME>";
        writeFile(f.settingsPath(), previous);
        f.ticks(5);
        QCOMPARE(f.state().PortSettings.Name.size(), 32752);
        f.window().Save_Menu_Click();
        QCOMPARE(f.host.messages,
                 QStringList{failureMessage("A setting is too long to be read back; the file was "
                                            "not changed",
                                            f.settingsPath())});
        QCOMPARE(f.settingsBytes(), previous);
        QVERIFY(!f.state().SaveRequested);
    }

    // A choice whose save fails still reopens the port with it.
    void aFailedSaveStillReopensThePort() {
        MonitorFixture f;
        f.host.folder = QDir(f.host.folder).filePath("gone");
        f.state().PortSettings.Name = "Com1";
        f.window().menuItem(MenuId::Menu_Baud_9600)->trigger();
        QCOMPARE(f.host.messages, QStringList{failureMessage("Path not found", f.settingsPath())});
        QVERIFY(f.serial().calls.contains("speed 9600"));
        QCOMPARE(f.serial().calls.last(), "open 1");
    }

    // An installed program keeps the file in the user's folder, made on the first save only.
    void anInstalledProgramKeepsItsSettingsInTheUsersFolder() {
        MonitorFixture f;
        f.host.userSettingsFolder = QDir(f.host.folder).filePath("config/gear-monitor");
        const QString path = QDir(f.host.userSettingsFolder).filePath("VovazuzoVevoZavovav.XML");
        QCOMPARE(f.settingsPath(), path);
        f.ticks(5);
        QCOMPARE(f.host.messages, QStringList{failureMessage("File not Found", path)});
        QVERIFY(!QFileInfo::exists(f.host.userSettingsFolder));

        f.state().PortSettings = {"Com3", "9600", "None", "8", "None", "1"};
        f.window().Save_Menu_Click();
        QCOMPARE(f.host.messages.size(), 1);
        QVERIFY(f.settingsBytes().contains("<LG_PORT_NAME>Com3</LG_PORT_NAME>"));
        QVERIFY(!QFileInfo::exists(settingsFilePath(f.host.folder)));
    }
};

QTEST_MAIN(SettingsHandlerTest)
#include "settings_handler_test.moc"
