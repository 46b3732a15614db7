#include "MonitorFixture.h"
#include "settings/SettingsFile.h"
#include "ui/AppIcon.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QImageWriter>
#include <QLabel>
#include <QTimer>
#include <QtTest>

namespace {

using C = ControlId;

QColor iconPixel(const QIcon &icon) {
    return icon.pixmap(32, 32).toImage().pixelColor(16, 4);
}

QString iconPath(const FakeHost &host) {
    return host.folder + "/DE_Rodidudedu.ico";
}

void writeSettings(const FakeHost &host, const QString &name) {
    PortSettingsRecord s{name, "9600", "None", "8", "None", "1"};
    QCOMPARE(writeSettingsFile(settingsFilePath(host.folder),
                               formatSettingsFile(s, "v", host.clock, QLocale::c())),
             0);
}

} // namespace

class LifecycleTest : public QObject {
    Q_OBJECT
private slots:
    void loadPutsTheWindowInItsStartingState() {
        MonitorFixture f;
        QCOMPARE(f.caption(C::VersionNumber),
                 "Version 1.0.3  (28 FEB 2010)  -  Supports Controller version 2.2.0");
        QCOMPARE(f.rendered(C::LG_CommOK), rgb(0x0000FF));
        QCOMPARE(f.state().LinkSilenceCount, int16_t(10));
        QCOMPARE(f.state().TickCount, int16_t(0));
        for (int i = 0; i < kSerialViewLines; ++i)
            QCOMPARE(f.caption(serialLine(i)), "");
        // Nothing is opened at load, and the port's lines reach the decoder.
        QVERIFY(f.serial().calls.isEmpty());
        f.feed("V:2.2.0");
        QCOMPARE(f.caption(C::FirmwareVersion), "2.2.0");
    }

    void iconFromTheProgramsFolderOrBuiltIn_data() {
        QTest::addColumn<QString>("file"); // "none", "garbage" or "red"
        QTest::newRow("no icon file") << "none";
        QTest::newRow("not an icon") << "garbage";
        QTest::newRow("an icon") << "red";
    }
    void iconFromTheProgramsFolderOrBuiltIn() {
        QFETCH(QString, file);
        FakeHost host;
        if (file == "garbage") {
            QFile f(iconPath(host));
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("this is not a picture");
        } else if (file == "red") {
            QImage red(32, 32, QImage::Format_ARGB32);
            red.fill(Qt::red);
            QVERIFY(QImageWriter(iconPath(host), "ico").write(red));
        }
        Form1 w(host);
        const QColor expected = file == "red" ? QColor(Qt::red) : iconPixel(builtInAppIcon());
        QCOMPARE(iconPixel(w.windowIcon()), expected);
    }

    void withoutASerialComponentTheMonitorGoesOn() {
        FakeHost host;
        host.serialCreationFails = true;
        Form1 w(host);
        w.timer()->stop();
        QCOMPARE(host.messages.size(), 1);
        QVERIFY(host.messages.first().contains("without a controller port"));
        for (int i = 0; i < 12; ++i)
            w.Timer1_Timer();
        QCOMPARE(w.portItems().size(), 1);
        w.SettingChoice_Click(MenuId::Menu_Baud_9600);
        QCOMPARE(w.state().PortSettings.Speed, "9600");
        w.close();
    }

    // Port menu on tick 2, settings file on tick 5, port opened on tick 10, each once.
    void startupStagesArePacedByTheTick() {
        MonitorFixture f;
        writeSettings(f.host, "Com3");
        f.serial().ports = {3};
        QStringList stages;
        for (int tick = 1; tick <= 30; ++tick) {
            f.serial().calls.clear();
            f.ticks(1);
            if (f.serial().calls.contains("listPorts"))
                stages << QStringLiteral("menu@%1").arg(tick);
            if (f.serial().calls.contains("open 1"))
                stages << QStringLiteral("open@%1").arg(tick);
            if (tick == 5)
                QCOMPARE(f.state().PortSettings.Name, "Com3");
        }
        QCOMPARE(stages, QStringList({"menu@2", "open@10"}));
        QVERIFY(f.window().portItems().at(1)->isChecked());
        QVERIFY(f.host.messages.isEmpty());
        QVERIFY(f.serial().open);
    }

    void resetPortReopensOnTheSecondTick() {
        MonitorFixture f;
        writeSettings(f.host, "Com3");
        f.ticks(12);
        // Pressed twice within one tick: still one opening, two ticks after the second press.
        f.window().menuItem(MenuId::ResetPort)->trigger();
        f.window().ResetPort_Click();
        f.serial().calls.clear();
        f.ticks(1);
        QVERIFY(!f.serial().calls.contains("open 1"));
        f.ticks(1);
        QCOMPARE(f.serial().calls.count("open 1"), 1);
        QVERIFY(!f.serial().calls.contains("listPorts"));
        f.ticks(5);
        QCOMPARE(f.serial().calls.count("open 1"), 1);
    }

    void closingClosesThePortAndIsNeverRefused() {
        MonitorFixture f;
        writeSettings(f.host, "Com3");
        f.ticks(10);
        QVERIFY(f.serial().open);
        f.serial().failOn = "open 0"; // even a port that refuses to close does not stop the close
        QVERIFY(f.window().close());
        QVERIFY(f.serial().calls.contains("open 0"));
        QVERIFY(!f.window().timer()->isActive());
    }

    // A tick let in while the window closes may reopen the port; it is closed all the same.
    void aTickDuringTheCloseCannotLeaveThePortOpen() {
        MonitorFixture f;
        writeSettings(f.host, "Com3");
        f.ticks(9);
        f.host.onProcessEvents = [&f] {
            if (f.state().TickCount == 9)
                f.window().Timer1_Timer();
        };
        QVERIFY(f.window().close());
        QCOMPARE(f.serial().calls.count("open 1"), 1);
        QVERIFY(!f.serial().open);
    }

    void closingBeforeThePortOpensSkipsTheClose() {
        MonitorFixture f;
        f.ticks(3);
        QVERIFY(f.window().close());
        QVERIFY(!f.serial().calls.contains("open 0"));
    }
};

QTEST_MAIN(LifecycleTest)
#include "lifecycle_test.moc"
