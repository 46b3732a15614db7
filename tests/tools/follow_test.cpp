// The recording's reader on a file that grows while it reads: a line being written is waited for,
// and the follower ends on a stop, on quiet after the port closed, and on a file truncated or
// replaced under it.

#include "FollowedFile.h"
#include "ProcessHelpers.h"
#include "link/Recording.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <istream>

namespace {

const QByteArray kHeader =
    "gear-recording 1 port=Com7 speed=9600 parity=None data=8 flow=None stop=1\n";

// Three looks with nothing new after a close end the recording.
constexpr FollowedFile::Timing kTiming{std::chrono::milliseconds(0), 3};

} // namespace

class FollowTest : public QObject {
    Q_OBJECT
private slots:
    // Each step is done at one wait of the follower, when it has read all that is written:
    // "+TEXT" appends TEXT, "truncate", "replace" and "stop" do as they say, "" waits.
    // `seen` counts the events read by each wait, so a torn line is seen to give nothing until
    // it is finished.
    void growingFile_data() {
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<QList<int>>("seen");
        QTest::addColumn<QStringList>("events");
        QTest::addColumn<int>("end");
        const int stopped = int(FollowedFile::End::Stopped);
        QTest::newRow("a torn line is waited for")
            << QStringList{"+" + kHeader, "+5 li", "+ne V:", "+1\n", "stop"}
            << QList<int>{0, 0, 0, 0, 1} << QStringList{"5 line V:1\n"} << stopped;
        QTest::newRow("a torn escape is waited for")
            << QStringList{"+" + kHeader, "+5 line V:\\x1", "+b\n", "stop"}
            << QList<int>{0, 0, 0, 1} << QStringList{"5 line V:\\x1b\n"} << stopped;
        QTest::newRow("a torn header is waited for")
            << QStringList{"+gear-recording 1 port=Co",
                           "+m7 speed=9600 parity=None data=8 "
                           "flow=None stop=1\n3 open\n",
                           "stop"}
            << QList<int>{0, 0, 1} << QStringList{"3 open\n"} << stopped;
        QTest::newRow("close then quiet ends")
            << QStringList{"+" + kHeader + "1 open\n9 close\n", "", ""} << QList<int>{0, 2, 2}
            << QStringList{"1 open\n", "9 close\n"} << int(FollowedFile::End::Quiet);
        QTest::newRow("a reopening after a close keeps it following")
            << QStringList{"+" + kHeader + "9 close\n", "", "+12 open\n", "", "", "stop"}
            << QList<int>{0, 1, 1, 2, 2, 2} << QStringList{"9 close\n", "12 open\n"} << stopped;
        QTest::newRow("a truncated file ends it")
            << QStringList{"+" + kHeader + "5 line V:1\n", "truncate"} << QList<int>{0, 1}
            << QStringList{"5 line V:1\n"} << int(FollowedFile::End::Truncated);
        QTest::newRow("a replaced file ends it")
            << QStringList{"+" + kHeader, "replace"} << QList<int>{0, 0} << QStringList{}
            << int(FollowedFile::End::Replaced);
    }
    void growingFile() {
        QFETCH(QStringList, steps);
        QFETCH(QList<int>, seen);
        QFETCH(QStringList, events);
        QFETCH(int, end);
        const QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("live.rec"));
        QVERIFY(writeFile(path, QByteArray()));
        volatile std::sig_atomic_t stop = 0;
        FollowedFile followed(stop, kTiming);
        QCOMPARE(followed.open(QFile::encodeName(path).toStdString()), std::string());
        QStringList read;
        QList<int> seenAtWaits;
        followed.onWait([&] {
            seenAtWaits << int(read.size());
            if (seenAtWaits.size() > steps.size())
                return; // the quiet after the steps
            const QString step = steps.at(seenAtWaits.size() - 1);
            QFile file(path);
            if (step.startsWith('+')) {
                QVERIFY(file.open(QIODevice::Append));
                file.write(step.mid(1).toLatin1());
            } else if (step == QLatin1String("truncate")) {
                QVERIFY(file.resize(10));
            } else if (step == QLatin1String("replace")) {
                QVERIFY(writeFile(path + ".new", kHeader));
                QVERIFY(QFile::remove(path) && QFile::rename(path + ".new", path));
            } else if (step == QLatin1String("stop")) {
                stop = 1;
            }
        });
        std::istream in(&followed);
        recording::Reader reader(in);
        const auto header = reader.header();
        for (bool more = std::holds_alternative<recording::Header>(header); more;) {
            auto step = reader.next();
            if (const auto *error = std::get_if<recording::ParseError>(&step))
                QFAIL(error->message.c_str());
            if (const auto *event = std::get_if<recording::Event>(&step)) {
                read << QString::fromStdString(recording::formatEvent(*event));
                followed.setPortClosed(event->kind == recording::EventKind::PortClosed);
            }
            more = std::holds_alternative<recording::Event>(step);
        }
        QCOMPARE(read, events);
        QCOMPARE(int(followed.end()), end);
        QCOMPARE(seenAtWaits.mid(0, seen.size()), seen);
    }
};

QTEST_GUILESS_MAIN(FollowTest)
#include "follow_test.moc"
