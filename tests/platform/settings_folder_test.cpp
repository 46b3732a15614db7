#include "platform/SettingsFolder.h"

#include <QtTest>

class SettingsFolderTest : public QObject {
    Q_OBJECT
private slots:
    void besideTheProgramOrInTheUsersFolder_data() {
        QTest::addColumn<QString>("programFolder");
        QTest::addColumn<bool>("holdsFile");
        QTest::addColumn<bool>("writable");
        QTest::addColumn<bool>("beside"); // false: the user's folder

        QTest::newRow("build folder") << "/home/ann/gear/build" << false << true << true;
        QTest::newRow("build folder with a file") << "/home/ann/gear/build" << true << true << true;
        QTest::newRow("read-only copy with a file") << "/media/stick/gear" << true << false << true;
        QTest::newRow("read-only copy, no file") << "/media/stick/gear" << false << false << false;
        QTest::newRow("installed") << "/usr/bin" << false << false << false;
        QTest::newRow("installed, run by root") << "/usr/bin" << false << true << false;
        QTest::newRow("installed, trailing slash") << "/usr/bin/" << false << true << false;
        QTest::newRow("installed, roundabout path") << "/usr/lib/../bin" << false << true << false;
        QTest::newRow("installed by hand, root") << "/usr/local/bin" << false << true << false;
        QTest::newRow("a file put beside the installed program")
            << "/usr/bin" << true << false << true;
        // The bin folder of any install prefix is shared with other programs, even where the
        // user may write it.
        QTest::newRow("a prefix of its own, writable") << "/opt/gear/bin" << false << true << false;
        QTest::newRow("a folder named like a system one")
            << "/home/ann/usr/bin" << false << true << false;
        QTest::newRow("an sbin folder") << "/opt/gear/sbin" << false << true << false;
        QTest::newRow("a prefix of its own, with a file")
            << "/opt/gear/bin" << true << true << true;
        QTest::newRow("a folder whose name only begins with bin")
            << "/home/ann/binaries" << false << true << true;
        QTest::newRow("a folder within a bin folder")
            << "/home/ann/bin/gear" << false << true << true;
    }
    void besideTheProgramOrInTheUsersFolder() {
        QFETCH(QString, programFolder);
        QFETCH(bool, holdsFile);
        QFETCH(bool, writable);
        QFETCH(bool, beside);
        const QString user = "/home/ann/.config/gear-monitor";
        const QString chosen = chooseSettingsFolder({programFolder, holdsFile, writable}, user);
        QCOMPARE(chosen, beside ? programFolder : user);
    }
};

QTEST_APPLESS_MAIN(SettingsFolderTest)
#include "settings_folder_test.moc"
