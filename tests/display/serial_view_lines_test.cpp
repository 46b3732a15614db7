#include "display/SerialViewLines.h"

#include <QtTest>

namespace {

// Lines 0 (newest) to 19 (oldest), as the view would show them bottom to top.
QStringList newestFirst(const SerialViewLines &lines) {
    QStringList out;
    for (int i = 0; i < SerialViewLines::kCount; ++i)
        out << lines.at(i);
    return out;
}

QStringList numbered(int from, int to) {
    QStringList out;
    for (int n = from; n >= to; --n)
        out << QString::number(n);
    return out;
}

} // namespace

class SerialViewLinesTest : public QObject {
    Q_OBJECT
private slots:
    void pushesKeepTheLastTwentyNewestFirst_data() {
        QTest::addColumn<int>("pushes");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("none") << 0 << QStringList(20, QString());
        QTest::newRow("one") << 1 << (QStringList{"1"} + QStringList(19, QString()));
        QTest::newRow("exactly twenty") << 20 << numbered(20, 1);
        QTest::newRow("the twenty-first drops the first") << 21 << numbered(21, 2);
        QTest::newRow("many times round the ring") << 1007 << numbered(1007, 988);
    }
    void pushesKeepTheLastTwentyNewestFirst() {
        QFETCH(int, pushes);
        QFETCH(QStringList, expected);
        SerialViewLines lines;
        for (int n = 1; n <= pushes; ++n)
            lines.push(QString::number(n));
        QCOMPARE(newestFirst(lines), expected);
    }

    // The help text replaces every line wherever the ring stands, and received lines then push it
    // up and out one line at a time.
    void replaceAllThenPush_data() {
        QTest::addColumn<int>("before");
        QTest::newRow("fresh") << 0;
        QTest::newRow("ring turned part way") << 7;
        QTest::newRow("ring turned often") << 45;
    }
    void replaceAllThenPush() {
        QFETCH(int, before);
        SerialViewLines lines;
        for (int n = 0; n < before; ++n)
            lines.push(QStringLiteral("old"));
        QStringList topFirst;
        for (int n = 19; n >= 0; --n)
            topFirst << QStringLiteral("help %1").arg(n);
        lines.replaceAll(topFirst);
        QCOMPARE(lines.at(19), "help 19");
        QCOMPARE(lines.at(0), "help 0");
        lines.push(QStringLiteral("new"));
        QCOMPARE(lines.at(0), "new");
        QCOMPARE(lines.at(1), "help 0");
        QCOMPARE(lines.at(19), "help 18");
    }

    void aShortReplacementEmptiesTheLowerLines() {
        SerialViewLines lines;
        lines.push(QStringLiteral("x"));
        lines.replaceAll({QStringLiteral("top")});
        QCOMPARE(lines.at(19), "top");
        QCOMPARE(newestFirst(lines).mid(0, 19), QStringList(19, QString()));
    }

    void everyChangeIsCounted() {
        SerialViewLines lines;
        const quint64 start = lines.changes();
        lines.push(QString());
        QVERIFY(lines.changes() != start);
        const quint64 afterPush = lines.changes();
        lines.replaceAll({});
        QVERIFY(lines.changes() != afterPush);
    }
};

QTEST_APPLESS_MAIN(SerialViewLinesTest)
#include "serial_view_lines_test.moc"
