// The "Comm" menu: check marks, what a choice stores, saves and reopens, and the port list.
#include "MonitorFixture.h"
#include "Pty.h"
#include "ui/MenuTable.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QTextDocumentFragment>
#include <QToolTip>
#include <QtTest>

namespace {

using C = ControlId;
using M = MenuId;

const QStringList kCreationMarks = {"Menu_Baud_4800", "Menu_Parity_None", "Menu_Flow_None",
                                    "Menu_DataBits_8", "Menu_Stop_1"};

QByteArray elementLine(const QString &tag, const QString &value) {
    return QStringLiteral("      <%1>%2</%1>\r\n").arg(tag, value).toLatin1();
}

QStringList captions(const QList<QAction *> &items) {
    QStringList out;
    for (const QAction *item : items)
        out << item->text();
    return out;
}

QStringList tooltips(const QList<QAction *> &items) {
    QStringList out;
    for (const QAction *item : items)
        out << item->toolTip();
    return out;
}

// What the shown tooltip reads as, decided as its label decides between text and markup.
QString shownToolTip() {
    for (QWidget *w : QApplication::topLevelWidgets()) {
        auto *tip = qobject_cast<QLabel *>(w);
        if (!tip || !tip->isVisible() || tip->text() != QToolTip::text())
            continue;
        const bool markup = tip->textFormat() == Qt::RichText ||
                            (tip->textFormat() == Qt::AutoText && Qt::mightBeRichText(tip->text()));
        return markup ? QTextDocumentFragment::fromHtml(tip->text()).toPlainText() : tip->text();
    }
    return QStringLiteral("(no tooltip shown)");
}

// The tooltip the open menu shows for `item` when the pointer rests on it.
QString hoverToolTip(QMenu *menu, QAction *item) {
    QToolTip::hideText();
    const QPoint at = menu->actionGeometry(item).center();
    QHelpEvent hover(QEvent::ToolTip, at, menu->mapToGlobal(at));
    QApplication::sendEvent(menu, &hover);
    return shownToolTip();
}

// A window whose link is live and whose record names port 2, so a choice reopens a port.
void prepareOpenPort(MonitorFixture &f) {
    f.state().PortSettings.Name = "Com2";
    f.serial().open = true;
    f.state().LinkSilenceCount = 0;
    f.ticks(1);
    QCOMPARE(f.rendered(C::LG_CommOK), rgb(0x00FF00));
    f.serial().calls.clear();
}

} // namespace

class PortMenusTest : public QObject {
    Q_OBJECT
private slots:
    // Every item of the five fixed groups, chosen as the user chooses it (the action triggered).
    void aChoiceIsCheckedStoredSavedAndOpened_data() {
        QTest::addColumn<MenuId>("item");
        QTest::addColumn<QString>("componentCall");
        const struct {
            M item;
            const char *call;
        } rows[] = {
            {M::Menu_Baud_110, "speed 110"},       {M::Menu_Baud_300, "speed 300"},
            {M::Menu_Baud_600, "speed 600"},       {M::Menu_Baud_1200, "speed 1200"},
            {M::Menu_Baud_2400, "speed 2400"},     {M::Menu_Baud_4800, "speed 4800"},
            {M::Menu_Baud_9600, "speed 9600"},     {M::Menu_Baud_14400, "speed 14400"},
            {M::Menu_Baud_19200, "speed 19200"},   {M::Menu_Baud_28800, "speed 28800"},
            {M::Menu_Baud_38400, "speed 38400"},   {M::Menu_Baud_56000, "speed 56000"},
            {M::Menu_Baud_57600, "speed 57600"},   {M::Menu_Baud_115200, "speed 115200"},
            {M::Menu_Baud_128000, "speed 128000"}, {M::Menu_Baud_256000, "speed 256000"},
            {M::Menu_Parity_None, "parity 0"},     {M::Menu_Parity_odd, "parity 1"},
            {M::Menu_Parity_Even, "parity 2"},     {M::Menu_Parity_Mark, "parity 3"},
            {M::Menu_Parity_Space, "parity 4"},    {M::Menu_Flow_None, "flow 0"},
            {M::Menu_Flow_RTS_CTS, "flow 1"},      {M::Menu_Flow_DSR_DTR, "flow 2"},
            {M::Menu_Flow_XonXoff, "flow 4"},      {M::Menu_DataBits_7, "data 7"},
            {M::Menu_DataBits_8, "data 8"},        {M::Menu_Stop_1, "stop 0"},
            {M::Menu_Stop_15, "stop 1"},           {M::Menu_Stop_2, "stop 2"},
        };
        for (const auto &row : rows)
            QTest::newRow(menuDef(row.item).name) << row.item << QString(row.call);
    }
    void aChoiceIsCheckedStoredSavedAndOpened() {
        QFETCH(MenuId, item);
        QFETCH(QString, componentCall);
        MonitorFixture f;
        prepareOpenPort(f);
        const MenuDef &def = menuDef(item);
        const QString caption = QString::fromLatin1(def.caption);

        f.window().menuItem(item)->trigger();

        // Exactly the chosen item of its group is checked; the other groups keep their marks.
        QStringList expectedMarks;
        for (const MenuDef &d : menuTable())
            if (d.kind == MenuKind::Choice &&
                (d.group == def.group ? d.id == item : d.checkedAtStart))
                expectedMarks << QString::fromLatin1(d.name);
        QCOMPARE(f.checkedItems(), expectedMarks);
        QCOMPARE(settingOf(f.state().PortSettings, def.group), caption);
        QVERIFY(
            f.settingsBytes().contains(elementLine(portSettingField(def.group).element, caption)));

        QCOMPARE(f.serial().calls.first(), "open 0");
        QVERIFY2(f.serial().calls.contains(componentCall), qPrintable(f.serial().calls.join(',')));
        QCOMPARE(f.serial().calls.last(), "open 1");
        QCOMPARE(f.state().LinkSilenceCount, 10);
        QCOMPARE(f.rendered(C::LG_CommOK), rgb(0x0000FF));
        QVERIFY(f.host.messages.isEmpty());
    }

    // The choice is saved and the link declared lost before waiting events run; the port is
    // reopened only after them, so a tick run there shows the link as lost.
    void waitingEventsRunBetweenSavingAndReopening() {
        MonitorFixture f;
        prepareOpenPort(f);
        QByteArray fileWhileWaiting;
        QStringList callsWhileWaiting;
        f.host.onProcessEvents = [&] {
            fileWhileWaiting = f.settingsBytes();
            callsWhileWaiting = f.serial().calls;
            f.window().Timer1_Timer();
        };
        f.window().menuItem(M::Menu_Baud_19200)->trigger();
        QVERIFY(fileWhileWaiting.contains(elementLine("LG_PORT_SPEED", "19200")));
        QCOMPARE(callsWhileWaiting, QStringList{});
        QCOMPARE(f.caption(C::FirmwareVersion), "COMM FAIL");
        QCOMPARE(f.serial().calls.last(), "open 1");
    }

    // A port's tooltip is its link target, text from outside: shown as written, never as markup.
    void portToolTipsShowTheTargetAsText_data() {
        QTest::addColumn<QString>("targetName");
        QTest::newRow("markup") << "<b><font size=7 color=red>BIG</font></b>";
        QTest::newRow("an image") << "<img src=/some/file.png>x";
        QTest::newRow("entities") << "a&amp;b &lt;i&gt;";
        QTest::newRow("ampersand") << "a & b";
        QTest::newRow("plain") << "ttyUSB0";
    }
    void portToolTipsShowTheTargetAsText() {
        QFETCH(QString, targetName);
        MonitorFixture f(PortKind::Real);
        // com3 leads to a terminal through a path named as above (its slashes make folders).
        Pty pty;
        const QString target = f.host.folder + "/dev/" + targetName;
        QVERIFY(QDir().mkpath(QFileInfo(target).path()));
        QVERIFY(QFile::link(pty.devicePath(), target));
        QVERIFY(QFile::link(target, f.host.folder + "/com3"));
        f.window().LoadPortSettings();
        const QList<QAction *> &items = f.window().portItems();
        const int com3 = captions(items).indexOf("Com3");
        QVERIFY2(com3 > 0, qPrintable(captions(items).join(", ")));
        QAction *item = items.at(com3);
        QCOMPARE(item->toolTip(), target);

        QMenu *menu = f.window().menu(M::Menu_Port);
        menu->popup(QPoint(0, 0));
        QVERIFY(QTest::qWaitForWindowExposed(menu));
        QCOMPARE(hoverToolTip(menu, item), target);
        menu->hide();
    }

    void checkMarksFollowSuccessiveChoices() {
        MonitorFixture f;
        Form1 &w = f.window();
        w.menuItem(M::Menu_Stop_2)->trigger();
        w.menuItem(M::Menu_Baud_57600)->trigger();
        w.menuItem(M::Menu_Parity_Space)->trigger();
        w.menuItem(M::Menu_Stop_15)->trigger();
        w.menuItem(M::Menu_Baud_110)->trigger();
        QCOMPARE(f.checkedItems(),
                 QStringList({"Menu_Baud_110", "Menu_Parity_Space", "Menu_Flow_None",
                              "Menu_DataBits_8", "Menu_Stop_15"}));
        // No port named: the choices are kept, no port is opened.
        QVERIFY(!f.serial().calls.contains("open 1"));
    }

    void portListFollowsThePortsPresent() {
        MonitorFixture f;
        f.serial().ports = {3, 1, 12};
        f.state().PortSettings.Name = "Com1";
        f.window().LoadPortSettings();
        const QList<QAction *> &items = f.window().portItems();
        QCOMPARE(captions(items), QStringList({"None/Reset", "Com3", "Com1", "Com12"}));
        QCOMPARE(tooltips(items.mid(1)), QStringList({"/dev/fake3", "/dev/fake1", "/dev/fake12"}));
        QCOMPARE(f.checkedItems(), kCreationMarks + QStringList{"Com1"});
        QCOMPARE(f.window().menu(M::Menu_Port)->actions(), items);

        f.serial().ports = {5};
        f.window().LoadPortSettings();
        QCOMPARE(captions(f.window().portItems()), QStringList({"None/Reset", "Com5"}));
        QCOMPARE(f.window().menu(M::Menu_Port)->actions(), f.window().portItems());

        f.serial().ports = {};
        f.window().LoadPortSettings();
        QCOMPARE(captions(f.window().portItems()), QStringList{"None/Reset"});
    }

    void choosingAPortSavesAndOpensIt() {
        MonitorFixture f;
        f.serial().ports = {3, 12};
        f.state().PortSettings.Speed = "9600";
        f.window().LoadPortSettings();
        f.serial().calls.clear();

        f.window().portItems().at(2)->trigger();
        QCOMPARE(f.state().PortSettings.Name, "Com12");
        QCOMPARE(f.checkedItems(), kCreationMarks + QStringList{"Com12"});
        QVERIFY(f.settingsBytes().contains(elementLine("LG_PORT_NAME", "Com12")));
        QVERIFY(f.serial().calls.contains("port 12"));
        QCOMPARE(f.serial().calls.last(), "open 1");
        QVERIFY(!f.serial().calls.contains("listPorts")); // only None/Reset rebuilds the list
        QCOMPARE(f.state().LinkSilenceCount, 10);
    }

    void choosingNoneResetRebuildsTheListAndCloses() {
        MonitorFixture f;
        f.serial().ports = {3};
        f.state().PortSettings.Name = "Com3";
        f.window().LoadPortSettings();
        f.serial().open = true;
        f.serial().ports = {3, 7}; // plugged in after the list was built
        f.serial().calls.clear();

        f.window().portItems().at(0)->trigger();
        QCOMPARE(captions(f.window().portItems()), QStringList({"None/Reset", "Com3", "Com7"}));
        QCOMPARE(f.checkedItems(), kCreationMarks + QStringList{"None/Reset"});
        QCOMPARE(f.state().PortSettings.Name, "None/Reset");
        QVERIFY(f.settingsBytes().contains(elementLine("LG_PORT_NAME", "None/Reset")));
        QCOMPARE(f.serial().calls, QStringList({"listPorts", "open 0"}));
        QVERIFY(!f.serial().open);
    }

    // The port refuses: the record falls back to no port while the chosen item stays checked.
    void aRefusedPortKeepsItsCheckMark() {
        MonitorFixture f;
        f.serial().ports = {4};
        f.window().LoadPortSettings();
        f.serial().failOn = "open 1";
        f.serial().failText = "no such device";
        f.window().portItems().at(1)->trigger();
        QCOMPARE(f.host.messages, QStringList{"LG PORT ERROR : no such device"});
        QCOMPARE(f.state().PortSettings.Name, "None/Reset");
        QCOMPARE(f.checkedItems(), kCreationMarks + QStringList{"Com4"});
        // The file holds the choice as made; the fallback is only in memory until the next save.
        QVERIFY(f.settingsBytes().contains(elementLine("LG_PORT_NAME", "Com4")));
    }
};

QTEST_MAIN(PortMenusTest)
#include "port_menus_test.moc"
