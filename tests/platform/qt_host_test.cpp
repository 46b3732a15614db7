// The program's own message box: one OK button, and the text shown exactly as given.
#include "platform/QtHost.h"

#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

namespace {

struct SeenBox {
    bool found = false;
    QString text;
    Qt::TextFormat boxFormat = Qt::AutoText;
    Qt::TextFormat labelFormat = Qt::AutoText;
    int buttons = 0;
};

// Answers the box the code under test is about to open, noting what it held.
void answerNextBox(SeenBox &seen) {
    QTimer::singleShot(0, [&seen] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!box)
            return;
        seen.found = true;
        seen.text = box->text();
        seen.boxFormat = box->textFormat();
        if (auto *label = box->findChild<QLabel *>(QStringLiteral("qt_msgbox_label")))
            seen.labelFormat = label->textFormat();
        seen.buttons = box->buttons().size();
        box->button(QMessageBox::Ok)->click();
    });
}

} // namespace

class QtHostTest : public QObject {
    Q_OBJECT
private slots:
    void messagesAreShownAsWritten_data() {
        QTest::addColumn<QString>("text");
        QTest::newRow("markup in a link target")
            << "LG PORT ERROR : <b><font size=7 color=red>BIG</font></b>";
        QTest::newRow("an image from disk")
            << "Parameter File Name = /tmp/<img src=/some/file.png>";
        QTest::newRow("an entity") << "a &lt; b & c";
        QTest::newRow("plain text") << "Disk full\r\nParameter File Name = /x/y.XML\r\n";
    }
    void messagesAreShownAsWritten() {
        QFETCH(QString, text);
        QtHost host;
        SeenBox seen;
        answerNextBox(seen);
        host.showMessage(text);
        QVERIFY(seen.found);
        QCOMPARE(seen.text, text);
        QCOMPARE(seen.boxFormat, Qt::PlainText);
        QCOMPARE(seen.labelFormat, Qt::PlainText);
        QCOMPARE(seen.buttons, 1);
    }
};

QTEST_MAIN(QtHostTest)
#include "qt_host_test.moc"
