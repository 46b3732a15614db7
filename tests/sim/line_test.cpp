// The simulator's end of the line: the pseudo-terminal, the comN link, the I/O loop and the
// program as a whole, against a reader on the slave side.

#include "OwnedPortLink.h"
#include "SerialLine.h"
#include "Transmitter.h"

#include "link/StatusDecoder.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <fcntl.h>
#include <poll.h>
#include <sstream>
#include <thread>
#include <unistd.h>

using namespace gearsim;

namespace {

// A reader on the slave side, as the monitor would hold it.
class Reader {
public:
    explicit Reader(const std::string &path) : fd_(::open(path.c_str(), O_RDWR | O_NOCTTY)) {}
    ~Reader() { close(); }
    bool isOpen() const { return fd_ >= 0; }
    void close() {
        if (fd_ >= 0)
            ::close(fd_);
        fd_ = -1;
    }
    // Reads until `enough` bytes came, the far end hung up, or nothing came for `quietMs`.
    std::string read(std::size_t enough, int quietMs = 2000) {
        std::string data;
        char buffer[512];
        pollfd polled{fd_, POLLIN, 0};
        while (data.size() < enough && ::poll(&polled, 1, quietMs) > 0) {
            const ssize_t n = ::read(fd_, buffer, sizeof buffer);
            if (n <= 0) {
                hungUp_ = true;
                break;
            }
            data.append(buffer, static_cast<std::size_t>(n));
        }
        return data;
    }
    bool hungUp() const { return hungUp_; }

private:
    int fd_;
    bool hungUp_ = false;
};

QStringList linesOf(const std::string &data) {
    QStringList lines = QString::fromLatin1(data).split(QStringLiteral("\r\n"));
    lines.removeLast(); // the part after the last line end
    return lines;
}

std::string linkTarget(const QString &path) {
    char buffer[256];
    const ssize_t n = ::readlink(path.toLocal8Bit().constData(), buffer, sizeof buffer);
    return n > 0 ? std::string(buffer, static_cast<std::size_t>(n)) : std::string();
}

} // namespace

class LineTest : public QObject {
    Q_OBJECT
private slots:
    // Nobody reads at first: the line says so, so nothing piles up. Then a reader comes, goes,
    // and what it left unread can be dropped before the next one comes.
    void pseudoTerminalReader() {
        SerialLine::Opened opened = SerialLine::openPseudoTerminal();
        QVERIFY2(opened.line, opened.error.c_str());
        SerialLine &line = *opened.line;
        QVERIFY(line.path().starts_with("/dev/pts/"));
        QCOMPARE(line.state(), LineState::NoReader);

        Reader reader(line.path());
        QVERIFY(reader.isOpen());
        QCOMPARE(line.state(), LineState::ReaderPresent);
        QCOMPARE(line.writeSome("O:100000\r\n"), 10L);
        QCOMPARE(reader.read(10), std::string("O:100000\r\n")); // raw: CR kept, no LF added

        QCOMPARE(line.writeSome("I:stale\r\n"), 9L);
        reader.close();
        QCOMPARE(line.state(), LineState::NoReader);
        line.discardUnread();
        Reader next(line.path());
        QCOMPARE(line.state(), LineState::ReaderPresent);
        QCOMPARE(next.read(1, 100), std::string());
    }

    void portLink() {
        QTemporaryDir folder;
        const std::string dir = folder.path().toStdString();
        {
            OwnedPortLink::Made made = OwnedPortLink::create(dir, 7, "/dev/null");
            QVERIFY2(made.link, made.error.c_str());
            QCOMPARE(made.link->path(), dir + "/com7");
            QCOMPARE(linkTarget(folder.filePath("com7")), std::string("/dev/null"));
            // The port is taken while the link lives: a second one is refused, the first kept.
            OwnedPortLink::Made second = OwnedPortLink::create(dir, 7, "/dev/zero");
            QVERIFY(!second.link);
            QVERIFY(second.error.find("already exists (-> /dev/null)") != std::string::npos);
        }
        QVERIFY(!QFileInfo(folder.filePath("com7")).isSymLink());

        // A link left dangling by a killed simulator is taken over.
        QVERIFY(::symlink("/dev/pts/no-such", folder.filePath("com8").toLocal8Bit()) == 0);
        QVERIFY(OwnedPortLink::create(dir, 8, "/dev/null").link);

        // A user's own file or a link that was replaced meanwhile is left alone.
        QFile file(folder.filePath("com9"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.close();
        QVERIFY(!OwnedPortLink::create(dir, 9, "/dev/null").link);
        QVERIFY(QFileInfo(folder.filePath("com9")).isFile());
        {
            OwnedPortLink::Made made = OwnedPortLink::create(dir, 10, "/dev/null");
            ::unlink(made.link->path().c_str());
            QVERIFY(::symlink("/dev/zero", made.link->path().c_str()) == 0);
        }
        QCOMPARE(linkTarget(folder.filePath("com10")), std::string("/dev/zero"));

        QVERIFY(
            OwnedPortLink::create(dir + "/missing", 1, "/dev/null").error.find("cannot create") !=
            std::string::npos);
    }

    // The loop on a real pseudo-terminal, with short frames: every line that reaches the reader
    // is a whole record, the frames come in V C F O I order, and the master hangs up at the end.
    void transmitterOnPseudoTerminal() {
        SerialLine::Opened opened = SerialLine::openPseudoTerminal();
        QVERIFY(opened.line);
        SimOptions options;
        options.pace.frameMs = 20;
        options.timeline.duration = 0.6;
        options.startCount = 5;
        std::ostringstream log;
        Reader reader(opened.line->path());
        RunSummary summary;
        std::thread loop([&] {
            summary = Transmitter(*opened.line, options, log).run();
            opened.line.reset();
        });
        const std::string data = reader.read(1 << 20);
        loop.join();
        QVERIFY(reader.hungUp());
        QVERIFY(summary.error.empty());
        QVERIFY2(summary.framesSent >= 15, log.str().c_str());

        const QStringList lines = linesOf(data);
        QVERIFY(lines.size() >= 75);
        MonitorState state;
        const QString order = QStringLiteral("VCFOI");
        const int first = order.indexOf(lines.first().at(0));
        QVERIFY2(first >= 0, qPrintable(lines.first())); // the reader never starts mid-line
        for (int i = 0; i < lines.size(); ++i) {
            QCOMPARE(lines[i].at(0), order.at((first + i) % 5));
            QCOMPARE(lines[i].at(1), QLatin1Char(':'));
            decodeStatusLine(lines[i], state, QLocale::c());
        }
        QVERIFY(lines.contains(QStringLiteral("C:5")) && lines.contains(QStringLiteral("F:11100")));
        QVERIFY(state.LinkSilenceCount < 0);
    }

    // The program as a user runs it: path on the first line, comN link while it runs, SIGTERM
    // ends it cleanly, the reader sees the hang-up and the link is gone.
    void programEndsCleanly() {
        const QString program = QCoreApplication::applicationDirPath() + "/../sim/gear-sim";
        if (!QFileInfo(program).isExecutable())
            QSKIP("gear-sim is not built next to the tests");
        QTemporaryDir folder;
        const QStringList arguments = {"--link-dir", folder.path(), "--port",     "7",
                                       "--frame-ms", "50",          "--duration", "60"};
        QProcess sim;
        sim.start(program, arguments);
        QVERIFY(sim.waitForReadyRead(5000));
        const QString first = QString::fromLocal8Bit(sim.readLine()).trimmed();
        QVERIFY2(first.startsWith("gear-sim: pseudo-terminal /dev/pts/"), qPrintable(first));
        const std::string slave = first.section(' ', 2).toStdString();
        const QString link = folder.filePath("com7");
        QTRY_COMPARE(linkTarget(link), slave);

        QProcess second;
        second.start(program, arguments);
        QVERIFY(second.waitForFinished(5000));
        QCOMPARE(second.exitCode(), 1);
        QVERIFY(second.readAllStandardError().contains("already exists"));
        QCOMPARE(linkTarget(link), slave);

        Reader reader(link.toStdString());
        QVERIFY(linesOf(reader.read(200)).size() >= 5);
        sim.terminate();
        QVERIFY(sim.waitForFinished(5000));
        QCOMPARE(sim.exitStatus(), QProcess::NormalExit);
        QCOMPARE(sim.exitCode(), 0);
        reader.read(1 << 20);
        QVERIFY(reader.hungUp());
        QVERIFY(!QFileInfo(link).isSymLink());
    }
};

QTEST_GUILESS_MAIN(LineTest)
#include "line_test.moc"
