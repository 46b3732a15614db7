#include "platform/LineAssembler.h"

#include <QtTest>

using Chunks = QList<QByteArray>;

class LineAssemblerTest : public QObject {
    Q_OBJECT
private slots:
    // Bytes arrive in `chunks` as the port hands them over; `lines` is everything handed out.
    void lines_data() {
        QTest::addColumn<Chunks>("chunks");
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<int>("held");
        QTest::newRow("one line, CR kept") << Chunks{"I:10\r"} << QStringList{"I:10\r"} << 0;
        QTest::newRow("several lines in one read")
            << Chunks{"V:1.2\rC:42\rO:101"} << QStringList{"V:1.2\r", "C:42\r"} << 5;
        QTest::newRow("line joined across reads")
            << Chunks{"F:1", "01", "01\rO", ":1\r"} << QStringList{"F:10101\r", "O:1\r"} << 0;
        QTest::newRow("LF stays inside the line")
            << Chunks{"\nA\r\nB\r"} << QStringList{"\nA\r", "\nB\r"} << 0;
        QTest::newRow("empty lines") << Chunks{"\r\r"} << QStringList{"\r", "\r"} << 0;
        QTest::newRow("nothing complete yet") << Chunks{"I:1", "0"} << QStringList{} << 4;
    }
    void lines() {
        QFETCH(Chunks, chunks);
        QFETCH(QStringList, lines);
        QFETCH(int, held);
        LineAssembler assembler;
        QStringList out;
        for (const QByteArray &chunk : chunks)
            out << assembler.feed(chunk);
        QCOMPARE(out, lines);
        QCOMPARE(assembler.heldBytes(), held);
    }

    // A run of up to 4096 bytes waits for its CR; the 4097th byte without one sends it out.
    void longRuns_data() {
        QTest::addColumn<int>("run");
        QTest::addColumn<int>("chunkSize");
        QTest::addColumn<QList<int>>("lengths");
        const int max = int(LineAssembler::kMaxRun);
        QTest::newRow("at the limit, then CR") << max << max + 1 << QList<int>{max + 1};
        QTest::newRow("one over, byte by byte") << max + 1 << 1 << QList<int>{max, 2};
        QTest::newRow("three runs' worth, odd reads")
            << 3 * max + 5 << 1000 << QList<int>{max, max, max, 6};
    }
    void longRuns() {
        QFETCH(int, run);
        QFETCH(int, chunkSize);
        QFETCH(QList<int>, lengths);
        const QByteArray bytes = QByteArray(run, 'x') + '\r';
        LineAssembler assembler;
        QList<int> out;
        for (qsizetype at = 0; at < bytes.size(); at += chunkSize) {
            for (const QString &piece : assembler.feed(bytes.mid(at, chunkSize)))
                out << int(piece.size());
            QVERIFY(assembler.heldBytes() <= LineAssembler::kMaxRun);
        }
        QCOMPARE(out, lengths);
    }

    void everyByteBecomesOneCharacter() {
        QByteArray bytes;
        for (int b = 0x80; b <= 0xFF; ++b)
            bytes += char(b);
        bytes += '\0';
        bytes += '\r';
        LineAssembler assembler;
        const QStringList out = assembler.feed(bytes);
        QCOMPARE(out.size(), 1);
        QCOMPARE(out[0].size(), bytes.size());
        for (qsizetype i = 0; i < bytes.size(); ++i)
            QCOMPARE(out[0][i].unicode(), uchar(bytes[i]));
    }
};

QTEST_APPLESS_MAIN(LineAssemblerTest)
#include "line_assembler_test.moc"
