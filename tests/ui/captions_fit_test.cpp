// Every caption of the window is shown whole at the fonts the system has: one too wide for its box
// at the specified size is drawn just small enough to fit, and nothing moves or changes size.
#include "MonitorFixture.h"
#include "ui/ControlTable.h"
#include "ui/Twips.h"
#include "ui/Widgets.h"

#include <QFontInfo>
#include <QGroupBox>
#include <QPushButton>
#include <QtTest>

namespace {

using C = ControlId;

int advance(const QFont &font, const QString &text) {
    return QFontMetrics(font).horizontalAdvance(text);
}

// Whole and as large as it may be: at the specified size when that fits, otherwise at a size a
// quarter point larger would not fit, and never below 6.75 pt.
void checkFitted(const BoxLabel *label, const char *name) {
    const QFont shown = label->font();
    const QFont specified = label->specifiedFont();
    const int width = label->captionWidth();
    QVERIFY2(advance(shown, label->text()) <= width, name);
    QVERIFY2(shown.pointSizeF() >= kSmallestCaptionPoints, name);
    if (advance(specified, label->text()) <= width) {
        QVERIFY2(shown == specified, name);
        return;
    }
    QFont larger = shown;
    larger.setPointSizeF(shown.pointSizeF() + 0.25);
    QVERIFY2(advance(larger, label->text()) > width, name);
}

} // namespace

class CaptionsFitTest : public QObject {
    Q_OBJECT
private slots:
    void everyCaptionFitsItsBox() {
        MonitorFixture f;
        const double dpi = f.window().logicalDpiY();
        int shrunk = 0;
        for (const ControlDef &d : controlTable()) {
            QWidget *w = f.window().findChild<QWidget *>(d.name);
            QVERIFY2(w, d.name);
            if (d.kind != ControlKind::Line) {
                QCOMPARE(w->width(), twipsToPixels(d.width, dpi));
                QCOMPARE(w->height(), twipsToPixels(d.height, dpi));
            }
            if (auto *label = qobject_cast<BoxLabel *>(w)) {
                checkFitted(label, d.name);
                shrunk += label->font() != label->specifiedFont();
            } else if (auto *button = qobject_cast<QPushButton *>(w)) {
                QVERIFY2(advance(button->font(), button->text()) < button->contentsRect().width(),
                         d.name);
            } else if (auto *frame = qobject_cast<QGroupBox *>(w)) {
                // The caption sits on the frame's top edge, 6 pixels in, with 2 on either side.
                QVERIFY2(advance(frame->font(), frame->title()) + 10 <= frame->width(), d.name);
            }
        }
        const QString family = QFontInfo(f.window().font()).family();
        qInfo("Arial is drawn as %s; %d captions drawn smaller", qPrintable(family), shrunk);
    }

    // Captions set while the program runs fit too, and a short one gets the full size back.
    void captionsSetAtRunTime_data() {
        QTest::addColumn<ControlId>("control");
        QTest::addColumn<QString>("text");
        QTest::newRow("the strut box's other caption") << C::Y4_Output_Label << "SPEED BRAKE";
        QTest::newRow("link lost") << C::FirmwareVersion << "COMM FAIL";
        QTest::newRow("a long firmware version") << C::FirmwareVersion << "2.2.0-rc7 build 12";
        QTest::newRow("a large cycle count") << C::LG_CycleCount << "1,234,567,890";
    }
    void captionsSetAtRunTime() {
        QFETCH(ControlId, control);
        QFETCH(QString, text);
        MonitorFixture f;
        auto *label = static_cast<BoxLabel *>(f.window().label(control));
        f.window().setCaption(control, text);
        QCOMPARE(label->text(), text);
        checkFitted(label, qPrintable(text));
        f.window().setCaption(control, "1");
        QCOMPARE(label->font(), label->specifiedFont());
    }

    // Around the width of the box, in the widest characters and in characters that may come from
    // another font: every length is shown at the size checkFitted asks for, or, too long for any
    // size allowed, at the smallest.
    void captionsAroundTheBoxWidth() {
        MonitorFixture f;
        const QStringList units = QStringList{"W", "@", "m", "1,", "W i", "AV", "LT", "f)"}
                                  << QString(QChar(0xc4)) << QString(QChar(0x65e5))
                                  << QString::fromUcs4(U"\U0001F600");
        for (ControlId control : {C::LG_CycleCount, C::FirmwareVersion}) {
            auto *label = static_cast<BoxLabel *>(f.window().label(control));
            for (const QString &unit : units) {
                for (int n = 1; n <= 24; ++n) {
                    const QString text = unit.repeated(n);
                    f.window().setCaption(control, text);
                    QFont smallest = label->specifiedFont();
                    smallest.setPointSizeF(kSmallestCaptionPoints);
                    if (advance(smallest, text) > label->captionWidth())
                        QCOMPARE(label->font(), smallest);
                    else
                        checkFitted(label, qPrintable(text));
                }
            }
        }
    }

    // Text too long for any size allowed stays at 6.75 pt, cut at the edge.
    void neverBelowTheSmallestSize() {
        MonitorFixture f;
        auto *label = static_cast<BoxLabel *>(f.window().label(C::FirmwareVersion));
        f.window().setCaption(C::FirmwareVersion, QString(80, 'W'));
        QCOMPARE(label->font().pointSizeF(), kSmallestCaptionPoints);
    }

    // The received lines keep the serial view's font whatever their length.
    void serialLinesKeepTheirFont() {
        MonitorFixture f;
        f.feed(QString(200, 'X') + '\r');
        f.window().refreshSerialView(); // the labels take the lines at the view's next refresh
        auto *line = static_cast<BoxLabel *>(f.window().label(serialLine(0)));
        QVERIFY(line->text().startsWith("XXXX"));
        QCOMPARE(line->font(), line->specifiedFont());
    }
};

QTEST_MAIN(CaptionsFitTest)
#include "captions_fit_test.moc"
