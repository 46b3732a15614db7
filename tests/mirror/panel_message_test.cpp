// The messages that carry the panel to a browser: whatever a received line holds arrives as the
// same text in valid JSON, and a change carries only what changed.
#include "mirror/PanelSnapshot.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStringDecoder>
#include <QtTest>

namespace {

ControlView box(const QString &name, const QString &text = "OFF") {
    ControlView c;
    c.name = name;
    c.kind = "label";
    c.x = 10;
    c.y = 20;
    c.w = 30;
    c.h = 15;
    c.text = text;
    c.background = "#c0c0c0";
    c.foreground = "#800000";
    c.font = {"Arial", 11, true};
    c.align = "center";
    c.border = true;
    c.tip = "X6 - Gear switch";
    return c;
}

PanelSnapshot panel(std::vector<ControlView> controls) {
    return {706, 564, std::move(controls)};
}

QJsonObject parsed(const QByteArray &message) {
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(message, &error);
    return error.error == QJsonParseError::NoError ? document.object() : QJsonObject();
}

} // namespace

class PanelMessageTest : public QObject {
    Q_OBJECT
private slots:
    void lineTextArrivesAsTheSameText_data() {
        QTest::addColumn<QString>("text");
        QTest::newRow("closing script tag") << "</script><script>alert(1)</script>";
        QTest::newRow("markup") << "<img src=x onerror=alert(1)><b>I:1</b>";
        QTest::newRow("quotes and backslashes") << "\"},{\"name\":\"x\\\"";
        QTest::newRow("control characters") << QString::fromLatin1("a\0b\x01\x1b[2J\x7f\n\r\t", 13);
        QTest::newRow("line separators") << QString::fromUtf8("a\u2028b\u2029c");
        QTest::newRow("invalid UTF-8 from the port, decoded")
            << QString::fromUtf8("I:\xff\xfe\xc3(\xed\xa0\x80");
        QTest::newRow("empty") << "";
    }
    void lineTextArrivesAsTheSameText() {
        QFETCH(QString, text);
        const QByteArray message = fullMessage(panel({box("LGRxText(0)", text)}));
        // Valid UTF-8 throughout, with no raw control character that could end a frame early.
        QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        (void)utf8.decode(message);
        QVERIFY(!utf8.hasError());
        for (char c : message)
            QVERIFY2(static_cast<unsigned char>(c) >= 0x20, message.constData());
        const QJsonObject c = parsed(message)["controls"].toArray().at(0).toObject();
        QCOMPARE(c["text"].toString(), text);
    }

    void wholeMessageCarriesEveryField() {
        const QJsonObject m = parsed(fullMessage(panel({box("Gear_Switch_Up", "UP")})));
        QCOMPARE(m["type"].toString(), "panel");
        QCOMPARE(m["full"].toBool(), true);
        QCOMPARE(m["width"].toInt(), 706);
        QCOMPARE(m["height"].toInt(), 564);
        const QJsonObject c = m["controls"].toArray().at(0).toObject();
        QCOMPARE(c.keys(), (QStringList{"align", "background", "border", "font", "foreground", "h",
                                        "kind", "name", "text", "tip", "visible", "w", "x", "y"}));
        QCOMPARE(c["font"].toObject(),
                 (QJsonObject{{"family", "Arial"}, {"px", 11}, {"bold", true}}));
        QCOMPARE(c["visible"].toBool(), true);
    }

    void changesCarryOnlyWhatChanged_data() {
        QTest::addColumn<ControlView>("after");
        QTest::addColumn<QJsonObject>("expected"); // the second control's entry; empty: none

        const ControlView same = box("LG_Left_Up_Light");
        auto with = [&](auto change) {
            ControlView c = same;
            change(c);
            return c;
        };
        QTest::newRow("nothing") << same << QJsonObject();
        QTest::newRow("colour") << with([](ControlView &c) {
            c.background = "#ff0000";
        }) << QJsonObject{{"name", "LG_Left_Up_Light"}, {"background", "#ff0000"}};
        QTest::newRow("hidden") << with([](ControlView &c) { c.visible = false; })
                                << QJsonObject{{"name", "LG_Left_Up_Light"}, {"visible", false}};
        QTest::newRow("font size: the whole font")
            << with([](ControlView &c) { c.font.px = 9; })
            << QJsonObject{{"name", "LG_Left_Up_Light"},
                           {"font", QJsonObject{{"family", "Arial"}, {"px", 9}, {"bold", true}}}};
    }
    void changesCarryOnlyWhatChanged() {
        QFETCH(ControlView, after);
        QFETCH(QJsonObject, expected);
        const ControlView untouched = box("CommFail", "COMM FAIL");
        const QByteArray message =
            changesMessage(panel({untouched, box("LG_Left_Up_Light")}), panel({untouched, after}));
        if (expected.isEmpty()) {
            QVERIFY(message.isEmpty());
            return;
        }
        const QJsonObject m = parsed(message);
        QCOMPARE(m["full"].toBool(true), false);
        QVERIFY(!m.contains("width"));
        QCOMPARE(m["controls"].toArray(), QJsonArray{expected});
    }

    // When the two pictures do not hold the same controls, a change list could not be applied.
    void otherControlsGiveTheWholePanel_data() {
        QTest::addColumn<PanelSnapshot>("before");
        QTest::addColumn<PanelSnapshot>("after");
        const ControlView a = box("A"), b = box("B");
        QTest::newRow("first picture") << PanelSnapshot{} << panel({a, b});
        QTest::newRow("one more control") << panel({a}) << panel({a, b});
        QTest::newRow("other size") << panel({a, b}) << PanelSnapshot{800, 600, {a, b}};
    }
    void otherControlsGiveTheWholePanel() {
        QFETCH(PanelSnapshot, before);
        QFETCH(PanelSnapshot, after);
        const QByteArray message = changesMessage(before, after);
        QCOMPARE(message, fullMessage(after));
    }
};

QTEST_APPLESS_MAIN(PanelMessageTest)
#include "panel_message_test.moc"
