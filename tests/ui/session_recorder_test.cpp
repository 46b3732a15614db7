#include "MonitorFixture.h"
#include "link/Recording.h"
#include "settings/SettingsFile.h"
#include "ui/SessionRecorder.h"

#include <QFile>
#include <QtTest>

#include <fstream>

namespace {

using recording::EventKind;

struct Recorded {
    std::int64_t ms;
    EventKind kind;
    std::string bytes;
};

// A window with its port Com3 in the settings file, recording to a file in the host's folder on
// a clock the test moves by hand, one tick = 500 ms.
struct RecordingWindow {
    MonitorFixture f;
    std::int64_t now = 0;
    QString path;

    RecordingWindow() {
        const PortSettingsRecord s{"Com3", "9600", "None", "8", "None", "1"};
        [&] {
            QCOMPARE(writeSettingsFile(settingsFilePath(f.host.folder),
                                       formatSettingsFile(s, "v", f.host.clock, QLocale::c())),
                     0);
        }();
        path = f.host.folder + "/session.rec";
        QString error;
        f.window().setRecorder(SessionRecorder::create(path, error, [this] { return now; }));
    }
    void ticks(int count) {
        for (int i = 0; i < count; ++i) {
            now += 500;
            f.ticks(1);
        }
    }
    std::vector<Recorded> events() {
        std::ifstream in(QFile::encodeName(path).toStdString());
        const auto read = recording::readRecording(in);
        if (const auto *error = std::get_if<recording::ParseError>(&read))
            qFatal("unreadable recording, line %ld: %s", error->lineNumber, error->message.c_str());
        std::vector<Recorded> out;
        for (const auto &e : std::get<recording::Recording>(read).events)
            out.push_back({e.ms, e.kind, e.bytes});
        return out;
    }
};

QString describe(const std::vector<Recorded> &events) {
    QStringList words;
    for (const Recorded &e : events)
        words << QStringLiteral("%1 %2%3")
                     .arg(e.ms)
                     .arg(QString::fromLatin1(recording::kindWord(e.kind)))
                     .arg(e.bytes.empty() ? QString() : " " + QString::fromLatin1(e.bytes));
    return words.join(QStringLiteral(", "));
}

} // namespace

class SessionRecorderTest : public QObject {
    Q_OBJECT
private slots:
    // The port opens on the tenth tick with the link failed; six lines make it live, silence
    // makes it stale and then failed, one line brings it back to stale, and closing the window
    // closes the port. Every byte of a line is kept, NUL included.
    void recordsLinesPortAndLinkAsTheyHappen() {
        RecordingWindow w;
        w.ticks(10);
        w.f.feed("V:SIM-1.0");
        w.f.feed(QString::fromLatin1("I:1\xff<b>\\\0", 9));
        for (int i = 0; i < 4; ++i)
            w.f.feed("C:7");
        w.ticks(7);
        w.f.feed("O:1");
        w.ticks(1);
        QVERIFY(w.f.window().close());
        static const char expected[] = "5000 open, 5000 failed, 5000 line V:SIM-1.0, "
                                       "5000 line I:1\xff<b>\\\0, 5000 line C:7, 5000 line C:7, "
                                       "5000 line C:7, 5000 line C:7, 5500 live, 6500 stale, "
                                       "8500 failed, 8500 line O:1, 9000 stale, 9000 close";
        QCOMPARE(describe(w.events()), QString::fromLatin1(expected, sizeof expected - 1));
    }

    // The header carries the port's settings as the window held them at the first event.
    void headerNamesThePortAndItsSettings() {
        RecordingWindow w;
        w.ticks(10);
        QFile file(w.path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readLine(), QByteArray("gear-recording 1 port=Com3 speed=9600 parity=None "
                                             "data=8 flow=None stop=1\n"));
    }

    // A disk that refuses the write ends the recording; the window goes on decoding.
    void aFailingDiskEndsTheRecordingNotTheMonitor() {
        MonitorFixture f;
        QString error;
        auto recorder = SessionRecorder::create("/dev/full", error, [] { return 0; });
        if (!recorder)
            QSKIP("no /dev/full here");
        SessionRecorder *seen = recorder.get();
        f.window().setRecorder(std::move(recorder));
        QTest::ignoreMessage(QtWarningMsg,
                             QRegularExpression("Recording to /dev/full stopped: .*space"));
        f.feed("V:1");
        f.feed("V:2");
        QVERIFY(!seen->recording());
        QCOMPARE(f.state().LastLine, QString("V:2"));
    }

    void aFileThatCannotBeMadeIsRefusedWithTheReason() {
        QString error;
        QVERIFY(!SessionRecorder::create("/nonexistent-folder/x.rec", error));
        QVERIFY2(error.contains("No such file"), qPrintable(error));
    }
};

QTEST_MAIN(SessionRecorderTest)
#include "session_recorder_test.moc"
