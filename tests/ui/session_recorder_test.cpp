#include "MonitorFixture.h"
#include "ProcessHelpers.h"
#include "ScopedMounts.h"
#include "link/Recording.h"
#include "settings/SettingsFile.h"
#include "ui/SessionRecorder.h"

#include <QFile>
#include <QtTest>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <sstream>

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
        SessionRecorder::Refusal refusal;
        f.window().setRecorder(SessionRecorder::create(path, refusal, [this] { return now; }));
    }
    void ticks(int count) {
        for (int i = 0; i < count; ++i) {
            now += 500;
            f.ticks(1);
        }
    }
    std::vector<Recorded> events() {
        std::ifstream in(QFile::encodeName(path).toStdString());
        return eventsIn(in);
    }
    QList<QByteArray> fileLines() { return readFile(path).split('\n'); }
    static std::vector<Recorded> eventsIn(std::istream &in) {
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

    // The header is written as the recording starts, with what is known then: before the
    // settings file is read, nothing. Each opening states the port and its settings when they
    // differ from those stated last, so the recording always tells how the port was set.
    void theOpeningStatesTheSettingsWhenTheyDiffer() {
        RecordingWindow w;
        QCOMPARE(w.fileLines().value(0),
                 QByteArray("gear-recording 1 port= speed= parity= data= flow= stop="));
        w.ticks(10);
        w.f.window().menuItem(MenuId::Menu_Baud_9600)->trigger();
        w.f.window().menuItem(MenuId::Menu_Baud_19200)->trigger();
        QVERIFY(w.f.window().close());
        const QList<QByteArray> lines = w.fileLines();
        QList<QByteArray> opens;
        for (const QByteArray &line : lines)
            if (line.contains(" open"))
                opens << line.mid(line.indexOf(' ') + 1);
        QCOMPARE(opens, (QList<QByteArray>{
                            "open port=Com3 speed=9600 parity=None data=8 flow=None stop=1", "open",
                            "open port=Com3 speed=19200 parity=None data=8 flow=None stop=1"}));
    }

    // A session whose port never opened leaves a header, which gear-log reads as nothing
    // received.
    void aSessionWithoutAPortReadsAsNothingReceived() {
        RecordingWindow w;
        w.ticks(3);
        QVERIFY(w.f.window().close());
        QVERIFY(w.events().empty());
        const ProgramRun log = runProgram(QStringLiteral(GEAR_LOG_PATH), {w.path});
        QCOMPARE(log.status, 0);
        QCOMPARE(log.out, QByteArray("nothing received\n"));
    }

    // A disk that refuses the write ends the recording; the window goes on decoding, and its
    // title no longer names the file.
    void aFailingDiskEndsTheRecordingNotTheMonitor() {
        MonitorFixture f;
        const QString folder = f.host.folder + "/small";
        QVERIFY(QDir().mkpath(folder));
        ScopedMounts mounts;
        if (const QString refused = mounts.tmpfs(folder, "size=4k"); !refused.isEmpty())
            QSKIP(qPrintable(refused));
        SessionRecorder::Refusal refusal;
        auto recorder = SessionRecorder::create(folder + "/s.rec", refusal, [] { return 0; });
        QVERIFY2(recorder, qPrintable(refusal.reason));
        SessionRecorder *seen = recorder.get();
        f.window().setRecorder(std::move(recorder));
        QTest::ignoreMessage(QtWarningMsg,
                             QRegularExpression("Recording to .*/s.rec stopped: .*space"));
        const QString long_ = "V:" + QString(1000, 'x');
        for (int i = 0; i < 8 && seen->recording(); ++i)
            f.feed(long_);
        f.feed("V:2");
        QVERIFY(!seen->recording());
        QCOMPARE(f.state().LastLine, QString("V:2"));
        QCOMPARE(f.window().windowTitle(), QString::fromLatin1(Form1::kCaption));
    }

    void aFileThatCannotBeMadeIsRefusedWithTheReason() {
        SessionRecorder::Refusal error;
        QVERIFY(!SessionRecorder::create("/nonexistent-folder/x.rec", error));
        QVERIFY2(error.reason.contains("No such file"), qPrintable(error.reason));
    }

    // A recording is made only as a new file: whatever is under the name already is refused and
    // left exactly as it was, and a dangling link does not make a file where it leads. An
    // existing file and a FIFO no one reads are refused by the program itself in
    // tests/app/command_line_test.cpp.
    void whatIsThereIsNeverWrittenOver_data() {
        QTest::addColumn<QString>("make"); // what the name is
        QTest::addColumn<QString>("reason");
        QTest::newRow("a link to an existing file") << "link"
                                                    << "the file exists";
        QTest::newRow("a link leading nowhere") << "dangling"
                                                << "leads nowhere";
        QTest::newRow("a folder") << "folder"
                                  << "is a folder";
        QTest::newRow("a device") << "/dev/null"
                                  << "is a device";
    }
    void whatIsThereIsNeverWrittenOver() {
        QFETCH(QString, make);
        QFETCH(QString, reason);
        QTemporaryDir dir;
        const QString target = dir.filePath("target.rec");
        QString path = dir.filePath("s.rec");
        QVERIFY(writeFile(target, "kept\n"));
        if (make == "link")
            QVERIFY(QFile::link(target, path));
        else if (make == "dangling")
            QVERIFY(QFile::link(dir.filePath("made.rec"), path));
        else if (make == "folder")
            QVERIFY(QDir().mkdir(path));
        else
            path = make;
        SessionRecorder::Refusal refusal;
        QVERIFY(!SessionRecorder::create(path, refusal));
        QVERIFY2(refusal.reason.contains(reason), qPrintable(refusal.reason));
        QVERIFY(refusal.nameTaken);
        QVERIFY(!QFileInfo::exists(dir.filePath("made.rec")));
        QCOMPARE(readFile(target), QByteArray("kept\n"));
    }

    // A FIFO that a program reads is written without blocking. A reader that keeps up gets the
    // whole session; one that stops reading or goes away ends the recording with its warning,
    // never the window nor the program (a hang ends this test by SIGALRM).
    void aFifoIsWrittenWithoutWaiting_data() {
        QTest::addColumn<QString>("reader");
        QTest::addColumn<QString>("warning"); // empty: the recording goes on
        QTest::newRow("keeps reading") << "reads"
                                       << "";
        QTest::newRow("stops reading") << "stops"
                                       << "its reader is not keeping up";
        QTest::newRow("goes away") << "leaves"
                                   << "its reader has gone";
    }
    void aFifoIsWrittenWithoutWaiting() {
        QFETCH(QString, reader);
        QFETCH(QString, warning);
        MonitorFixture f;
        const QString path = f.host.folder + "/fifo";
        QCOMPARE(mkfifo(QFile::encodeName(path), 0600), 0);
        const int in = ::open(QFile::encodeName(path), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
        QVERIFY(in >= 0);
        SessionRecorder::Refusal refusal;
        auto recorder = SessionRecorder::create(path, refusal, [] { return 7; });
        QVERIFY2(recorder, qPrintable(refusal.reason));
        SessionRecorder *seen = recorder.get();
        f.window().setRecorder(std::move(recorder));
        if (reader == "leaves")
            ::close(in);
        if (!warning.isEmpty())
            QTest::ignoreMessage(QtWarningMsg,
                                 QRegularExpression("Recording to .*fifo stopped: " + warning));
        std::string received;
        auto drain = [&] {
            char buffer[65536];
            for (ssize_t n; (n = ::read(in, buffer, sizeof buffer)) > 0;)
                received.append(buffer, std::size_t(n));
        };
        const QString long_ = "I:" + QString(1000, '1');
        alarm(10);
        for (int i = 0; i < 200; ++i) {
            f.feed(long_);
            if (reader == "reads")
                drain();
        }
        alarm(0);
        QCOMPARE(f.state().LastLine, long_);
        QCOMPARE(seen->recording(), warning.isEmpty());
        QCOMPARE(f.window().windowTitle().endsWith(" - recording " + path), warning.isEmpty());
        if (reader == "leaves")
            return;
        // What reached the reader reads as a recording, whole or cut off at the end.
        drain();
        ::close(in);
        std::istringstream stream(received);
        const std::vector<Recorded> events = RecordingWindow::eventsIn(stream);
        if (reader == "reads")
            QCOMPARE(events.size(), std::size_t(200));
        else
            QVERIFY(events.size() > 10 && events.size() < 200);
    }

    // Every line the port delivers is recorded when it comes, in order, although the window's
    // hold keeps only the newest of each kind while a message box is up.
    void everyLineReceivedWhileABoxIsUpIsRecorded() {
        RecordingWindow w;
        w.ticks(10);
        // SAVE PORT fails with a folder where the settings file goes: a box with the port open.
        QVERIFY(QFile::remove(w.f.settingsPath()) && QDir().mkdir(w.f.settingsPath()));
        w.f.host.whileMessageShown = [&w] {
            for (int i = 0; i < 2000; ++i)
                w.f.feed(QStringLiteral("C:%1").arg(i));
        };
        w.f.window().menuItem(MenuId::Save_Menu)->trigger();
        QCOMPARE(w.f.host.messages.size(), 1);
        QVERIFY(w.f.window().close());
        QStringList lines;
        for (const Recorded &e : w.events())
            if (e.kind == EventKind::Line)
                lines << QString::fromStdString(e.bytes);
        QCOMPARE(lines.size(), 2000);
        for (int i = 0; i < 2000; ++i)
            QCOMPARE(lines.at(i), QStringLiteral("C:%1").arg(i));
        QCOMPARE(w.f.state().LastLine, "C:1999");
    }

    // The recording ends with the port's close whatever ends the program, and nothing comes
    // after it: a close request (as a stop signal makes) while a message box is up, whose held
    // lines and tick run after it, or ticks that run while the window closes.
    void theRecordingEndsWithClose_data() {
        QTest::addColumn<bool>("underABox");
        QTest::newRow("closed under a message box") << true;
        QTest::newRow("ticks while closing") << false;
    }
    void theRecordingEndsWithClose() {
        QFETCH(bool, underABox);
        RecordingWindow w;
        w.ticks(10);
        for (int i = 0; i < 6; ++i)
            w.f.feed("V:0");
        w.ticks(1);
        auto silentTicks = [&w] {
            for (int i = 0; i < 8; ++i)
                w.f.window().Timer1_Timer();
        };
        if (underABox) {
            QVERIFY(QFile::remove(w.f.settingsPath()) && QDir().mkdir(w.f.settingsPath()));
            w.f.host.whileMessageShown = [&] {
                w.f.feed("V:1");
                w.f.window().close();
                w.f.feed("V:2");
                silentTicks();
            };
            w.f.window().menuItem(MenuId::Save_Menu)->trigger();
        } else {
            w.f.feed("V:1");
            w.f.host.onProcessEvents = silentTicks;
            QVERIFY(w.f.window().close());
        }
        const std::vector<Recorded> events = w.events();
        QVERIFY(events.size() >= 2);
        QCOMPARE(describe({events.end() - 2, events.end()}), "5500 line V:1, 5500 close");
    }
};

QTEST_MAIN(SessionRecorderTest)
#include "session_recorder_test.moc"
