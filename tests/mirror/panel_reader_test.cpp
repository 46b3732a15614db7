// The panel read from the window is what the window shows: the colours it paints, the boxes it
// hides (the blinking notice, the firmware's arrangements) and where they stand.
#include "MonitorFixture.h"
#include "mirror/PanelReader.h"
#include "ui/ControlTable.h"

#include <QtTest>

namespace {

using C = ControlId;

const ControlView &find(const PanelSnapshot &panel, ControlId id) {
    const int index = int(std::find_if(controlTable().begin(), controlTable().end(),
                                       [id](const ControlDef &d) { return d.id == id; }) -
                          controlTable().begin());
    return panel.controls.at(size_t(index));
}

void live(MonitorFixture &f, const QStringList &lines) {
    for (const QString &line : lines)
        f.feed(line);
    f.window().RepaintPanel();
}

} // namespace

class PanelReaderTest : public QObject {
    Q_OBJECT
private slots:
    void everyControlInTableOrder() {
        MonitorFixture f;
        const PanelSnapshot panel = readPanel(f.window());
        QCOMPARE(panel.width, 706);
        QCOMPARE(panel.height, 564);
        QCOMPARE(panel.controls.size(), controlTable().size());
        for (size_t i = 0; i < panel.controls.size(); ++i)
            QCOMPARE(panel.controls[i].name, QString::fromLatin1(controlTable()[i].name));
        const ControlView &notice = find(panel, C::CommFail);
        QCOMPARE(notice.text, "COMM FAIL");
        QCOMPARE(notice.foreground, "#ff0000");
        QCOMPARE(notice.font, (FontView{"Arial", 37, true}));
        QCOMPARE(notice.align, "center");
        QCOMPARE(notice.tip, "Check PLC connection, Comm settings");
        QVERIFY(find(panel, C::Gear_Switch_Up).border);
        QVERIFY(!notice.border);
    }

    // Started from the desktop menu there is no terminal: the title tells where to look.
    void titleGivesTheAddress() {
        MonitorFixture f;
        const QString url = "http://192.168.1.20:8421/00112233445566778899aabbccddeeff/";
        f.window().setMirrorAddress(url);
        QCOMPARE(f.window().windowTitle(),
                 QString::fromLatin1(Form1::kCaption) + " - mirror " + url);
    }

    // A box inside a frame is placed in the window's client area, not in its frame.
    void placesAreAbsolute_data() {
        QTest::addColumn<ControlId>("child");
        QTest::addColumn<ControlId>("frame");
        QTest::newRow("gear switch") << C::Gear_Switch_Up << C::Frame6;
        QTest::newRow("up light") << C::LG_Left_Up_Light << C::Frame5;
    }
    void placesAreAbsolute() {
        QFETCH(ControlId, child);
        QFETCH(ControlId, frame);
        MonitorFixture f;
        const PanelSnapshot panel = readPanel(f.window());
        const QWidget *w = f.window().control(child);
        QCOMPARE(find(panel, child).x, find(panel, frame).x + w->x());
        QCOMPARE(find(panel, child).y, find(panel, frame).y + w->y());
        QCOMPARE(find(panel, child).w, w->width());
    }

    void noticeBlinksOnThePage() {
        MonitorFixture f;
        QString window, page;
        for (int tick = 0; tick < 4; ++tick) {
            f.ticks(1);
            window += f.shown(C::CommFail) ? '1' : '0';
            page += find(readPanel(f.window()), C::CommFail).visible ? '1' : '0';
        }
        QCOMPARE(page, window);
        QCOMPARE(page, "0101");
    }

    // The firmware's configuration moves and hides boxes; the page follows, and every indicator
    // carries the colour the window paints.
    void arrangementsAndColoursFollowTheWindow_data() {
        QTest::addColumn<QString>("configuration");
        QTest::addColumn<bool>("strutsShown");
        QTest::newRow("strut valve") << "F:11100" << true;
        QTest::newRow("speed brake") << "F:11000" << false;
    }
    void arrangementsAndColoursFollowTheWindow() {
        QFETCH(QString, configuration);
        QFETCH(bool, strutsShown);
        MonitorFixture f;
        live(f, {configuration, "I:11000000 00000000 00", "O:000001"});
        const PanelSnapshot panel = readPanel(f.window());
        QCOMPARE(find(panel, C::StrutsCompressed).visible, strutsShown);
        QCOMPARE(find(panel, C::Interlock_LOW).visible, !strutsShown);
        QCOMPARE(find(panel, C::Frame9).y, f.window().control(C::Frame9)->y());
        QCOMPARE(find(panel, C::Frame9).h, f.window().control(C::Frame9)->height());
        for (ControlId id : {C::Y5_Horn, C::Y4_Output, C::StrutsCompressed, C::Gear_Switch_Up,
                             C::Emer_Retract_Switch})
            QCOMPARE(QColor(find(panel, id).background), f.rendered(id));
    }

    // The mirror keeps one reader, which reformats only the controls that changed: at every step
    // of a session it must read what a fresh look at the window reads.
    void aKeptReaderMissesNoChange() {
        MonitorFixture f;
        PanelReader kept(f.window());
        const std::vector<std::function<void()>> steps = {
            [&] { f.ticks(1); }, // COMM FAIL shown
            [&] { f.ticks(1); }, // and hidden
            [&] {
                live(f, {"F:11100", "V:2.07", "C:00123"});
            },
            [&] {
                live(f, {"I:11000000 00000000 00", "O:000001"});
            },
            [&] {
                live(f, {"F:11000", "I:00110000 00000000 00", "O:000000"});
            },
            [&] { f.window().Show_Menu_Click(); },
            [&] { f.feed("line <b>with</b> markup"), f.window().refreshSerialView(); },
            [&] { f.window().FreezeButton_Click(); },
        };
        for (size_t step = 0; step < steps.size(); ++step) {
            steps[step]();
            QVERIFY2(kept.read() == readPanel(f.window()), qPrintable(QString::number(step)));
        }
    }
};

QTEST_MAIN(PanelReaderTest)
#include "panel_reader_test.moc"
