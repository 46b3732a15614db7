// SAVE PORT on a full disk, through the window: the message names the failure and the file, and
// the settings saved before stay whole. Mounting needs root; where it is refused the test skips.
#include "MonitorFixture.h"
#include "ScopedMounts.h"
#include "settings/SettingsFile.h"

#include <QtTest>

class FullDiskTest : public QObject {
    Q_OBJECT
private slots:
    void savePortOnAFullDiskKeepsThePreviousFile() {
        MonitorFixture f;
        QTemporaryDir dir;
        ScopedMounts mounts;
        if (const QString refused = mounts.tmpfs(dir.path(), "size=4k"); !refused.isEmpty())
            QSKIP(qPrintable(refused));
        f.host.folder = dir.path();
        const QString path = settingsFilePath(dir.path());
        const QByteArray previous = formatSettingsFile({"Com2", "9600", "None", "8", "None", "1"},
                                                       "v", f.host.clock, QLocale::c());
        QCOMPARE(writeSettingsFile(path, previous), 0);

        f.state().PortSettings = {"Com3", "19200", "Even", "7", "None", "2"};
        f.window().menuItem(MenuId::Save_Menu)->trigger();

        QCOMPARE(f.host.messages,
                 QStringList({"Disk full\r\nParameter File Name = " + path + "\r\n"}));
        QCOMPARE(f.host.beeps, 1);
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), previous);
        QVERIFY(!f.state().SaveRequested);
    }
};

QTEST_MAIN(FullDiskTest)
#include "full_disk_test.moc"
