#include "MonitorFixture.h"
#include "ui/ControlTable.h"
#include "ui/MenuTable.h"
#include "ui/Widgets.h"

#include <QAction>
#include <QGroupBox>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

namespace {

using C = ControlId;

const char *expectedClass(ControlKind kind) {
    switch (kind) {
    case ControlKind::Frame:
        return "FrameBox";
    case ControlKind::Label:
        return "BoxLabel";
    case ControlKind::Line:
        return "LineShape";
    case ControlKind::Rectangle:
        return "RectangleShape";
    case ControlKind::Button:
        return "QPushButton";
    }
    return "";
}

} // namespace

class WindowTest : public QObject {
    Q_OBJECT
private slots:
    void windowAsCreated() {
        MonitorFixture f;
        Form1 &w = f.window();
        QCOMPARE(w.windowTitle(), "  Quorvel's Landing Gear Controller Monitor");
        QCOMPARE(w.centralWidget()->size(), QSize(706, 564));
        QVERIFY(f.window().findChild<QTimer *>("Timer1"));
        QCOMPARE(w.timer()->interval(), 500);
    }

    void timerRunsFromCreation() {
        FakeHost host;
        Form1 w(host);
        QVERIFY(w.timer()->isActive());
    }

    // Every control named in the table exists once, by its name, of its kind, inside its frame.
    void everyControlByNameKindAndParent() {
        MonitorFixture f;
        for (const ControlDef &d : controlTable()) {
            const QString name = QString::fromLatin1(d.name);
            const auto found = f.window().findChildren<QWidget *>(name);
            QVERIFY2(found.size() == 1, qPrintable(name));
            QWidget *w = found.first();
            QCOMPARE(w->metaObject()->className(), expectedClass(d.kind));
            const QString parent = d.parent == C::None
                                       ? QStringLiteral("ClientArea")
                                       : QString::fromLatin1(controlDef(d.parent).name);
            QCOMPARE(w->parentWidget()->objectName(), parent);
        }
        QCOMPARE(f.window().findChildren<QLabel *>(QRegularExpression("^LGRxText\\(")).size(), 20);
        QCOMPARE(f.window().findChildren<QLabel *>(QRegularExpression("^Label2\\(")).size(), 6);
    }

    void placesAndTextsAsLaidOut() {
        MonitorFixture f;
        Form1 &w = f.window();
        // 15 twips to the pixel at 96 DPI.
        QCOMPARE(w.control(C::Frame5)->geometry(), QRect(184, 160, 221, 305));
        QCOMPARE(w.control(C::LG_Nose_Up_Light)->geometry(), QRect(48, 28, 17, 23));
        QCOMPARE(w.control(serialLine(0))->geometry(), QRect(28, 336, 237, 17));
        QCOMPARE(w.control(serialLine(19))->y(), 32);
        QCOMPARE(w.label(C::Label4)->alignment() & Qt::AlignRight, Qt::AlignRight);
        QCOMPARE(w.control(C::LG_CycleCount)->toolTip(), "Gear Cycle count contained in the PLC ");
        QCOMPARE(w.control(C::C1_OFF)->toolTip(),
                 "C1 = OFF  Hydraulic relays are direct UP / DOWN Relays ");
        QCOMPARE(w.control(C::Label2_0)->toolTip(),
                 "X103 - ON =Throttle at Full,  OFF = Throttle NOT at full");
        QCOMPARE(w.control(C::Label42)->toolTip(), w.control(C::Label11)->toolTip());
        QCOMPARE(w.frame(C::Frame8)->title(), "LEGEND  -  Inputs (X)  / Outputs (Y)");
        QCOMPARE(w.label(C::CommFail)->font().pointSizeF(), 27.75);
        QVERIFY(w.label(C::CommFail)->font().bold());
        QCOMPARE(w.label(serialLine(3))->font().pointSizeF(), 9.75);
        QVERIFY(QFontInfo(w.label(serialLine(3))->font()).fixedPitch());
        QCOMPARE(QFontInfo(w.label(C::Label1)->font()).family(), "Liberation Sans");
    }

    void creationColoursAreRendered_data() {
        QTest::addColumn<ControlId>("control");
        QTest::addColumn<uint>("colour");
        QTest::newRow("input indicator medium green") << C::Emer_Retract_Switch << 0x008000u;
        QTest::newRow("up light dark red") << C::LG_Left_Up_Light << 0x000040u;
        QTest::newRow("output grey") << C::Y5_Horn << 0x808080u;
        QTest::newRow("link indicator red") << C::LG_CommOK << 0x0000FFu;
        QTest::newRow("caption box white") << C::Label8 << 0xFFFFFFu;
        QTest::newRow("legend bright green") << C::Label5 << 0x00FF00u;
        QTest::newRow("legend yellow") << C::Label21 << 0x00FFFFu;
        QTest::newRow("legend text light grey") << C::Label28 << 0xE0E0E0u;
    }
    void creationColoursAreRendered() {
        QFETCH(ControlId, control);
        QFETCH(uint, colour);
        MonitorFixture f;
        QCOMPARE(f.rendered(control), rgb(colour));
    }

    void serialFrameHiddenAndAboveTheConfiguration() {
        MonitorFixture f;
        Form1 &w = f.window();
        QVERIFY(w.control(C::Frame10)->isHidden());
        QVERIFY(!w.control(C::CommFail)->isHidden());
        QVERIFY(w.control(C::Frame10)->geometry().contains(w.control(C::Frame1)->geometry()));
        const auto siblings = w.centralWidget()->children();
        QVERIFY(siblings.indexOf(w.control(C::Frame10)) > siblings.indexOf(w.control(C::Frame1)));
    }

    // A click gives the focus to the freeze button alone; the indicators take it only from Tab.
    void onlyTheFreezeButtonTakesFocus() {
        MonitorFixture f;
        for (QWidget *w : f.window().findChildren<QWidget *>())
            if (w->focusPolicy() & Qt::ClickFocus)
                QVERIFY2(w->objectName() == "FreezeButton" || qobject_cast<QMenu *>(w) != nullptr,
                         qPrintable(w->objectName()));
    }

    void menusAsCreated() {
        MonitorFixture f;
        Form1 &w = f.window();
        QStringList bar;
        for (QAction *a : w.menuBar()->actions())
            bar << a->objectName() + "=" + a->text();
        QCOMPARE(bar, QStringList({"Menu_Comm=Comm", "blank5=", "ResetPort=RESET PORT",
                                   "Blank4=", "Save_Menu=SAVE PORT",
                                   "Blank1=", "Show_Menu=SHOW/HIDE SERIAL", "blank2=", "blank3="}));
        QStringList checked;
        for (const MenuDef &d : menuTable())
            if (w.menuItem(d.id)->isChecked())
                checked << QString::fromLatin1(d.name);
        QCOMPARE(checked, QStringList({"Menu_Baud_4800", "Menu_Parity_None", "Menu_Flow_None",
                                       "Menu_DataBits_8", "Menu_Stop_1"}));
        QCOMPARE(w.portItems().size(), 1);
        QCOMPARE(w.portItems().first()->objectName(), "Menu_Port_Number(0)");
        QCOMPARE(w.portItems().first()->text(), "None/Reset");
        QVERIFY(!w.portItems().first()->isChecked());
    }

    // Text from the controller is shown character for character, never as markup.
    void controllerTextIsPlain() {
        MonitorFixture f;
        f.feed("V:<img src=x><h1>9</h1>");
        f.feed("C:<b>1</b>");
        QCOMPARE(f.caption(C::FirmwareVersion), "<img src=x><h1>9</h1>");
        for (C c : {C::FirmwareVersion, C::LG_CycleCount, serialLine(0)})
            QCOMPARE(f.window().label(c)->textFormat(), Qt::PlainText);
    }
};

QTEST_MAIN(WindowTest)
#include "window_test.moc"
