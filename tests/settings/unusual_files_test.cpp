// Settings files out of the ordinary: values too long to read back, lines without end, and
// things other than a regular file at the file's name. None of them may hang the reader or
// leave a file behind that the next start refuses.
#include "settings/FileErrors.h"
#include "settings/SettingsFile.h"

#include <QFileInfo>
#include <QtTest>

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

PortSettingsRecord named(const QString &name) {
    PortSettingsRecord s{name, "9600", "None", "8", "None", "1"};
    return s;
}

QByteArray fileFor(const PortSettingsRecord &s) {
    return formatSettingsFile(s, "Version", QDateTime(QDate(2026, 12, 6), QTime(2, 45, 40)),
                              QLocale::c());
}

QByteArray readBytes(const QString &path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

// A listening socket bound at `path`; closed with the returned descriptor.
int bindSocket(const QString &path) {
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const QByteArray name = QFile::encodeName(path);
    if (fd < 0 || name.size() >= qsizetype(sizeof address.sun_path))
        return -1;
    std::copy(name.begin(), name.end(), address.sun_path);
    return ::bind(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0 ? fd : -1;
}

} // namespace

class UnusualFilesTest : public QObject {
    Q_OBJECT
    QTemporaryDir dir_;

    QString path() const { return settingsFilePath(dir_.path()); }

private slots:
    void init() { QFile::remove(path()); }

    // The name line is indented by six, so its value ends at position 21 + length; 32767 is the
    // last the reader takes. A file without indent holds names up to 32752 characters.
    void save_refusesWhatWouldNotReadBack_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("failure");
        QTest::newRow("longest name that reads back") << QString(32746, 'n') << 0;
        QTest::newRow("one more") << QString(32747, 'n') << FileError::SettingTooLong;
        QTest::newRow("longest a file without indent holds")
            << QString(32752, 'n') << FileError::SettingTooLong;
        QTest::newRow("a line break, then a late <")
            << "Com1\r" + QString(32770, 'x') << FileError::SettingTooLong;
        QTest::newRow("a line break, then a line beyond the bound")
            << "Com1\n" + QString(kMaxSettingsLineLength + 1, 'x') << FileError::SettingTooLong;
        // Read back differently, but read: it is no overflow, so it is saved.
        QTest::newRow("short name with a line break") << QString("Com\n1") << 0;
    }
    void save_refusesWhatWouldNotReadBack() {
        QFETCH(QString, name);
        QFETCH(int, failure);
        const QByteArray previous = fileFor(named("Com1"));
        QCOMPARE(writeSettingsFile(path(), previous), 0);
        const QByteArray content = fileFor(named(name));
        QCOMPARE(saveSettingsFile(path(), content), failure);
        QCOMPARE(readBytes(path()), failure ? previous : content);
        PortSettingsRecord back;
        QCOMPARE(readSettingsFile(path(), back), 0);
        if (failure == 0 && !name.contains('\n'))
            QCOMPARE(back.Name, name);
        QCOMPARE(QDir(dir_.path()).entryList(QDir::Files | QDir::Hidden),
                 QStringList{kSettingsFileName});
    }

    // The reader holds no more than its bound of one line, and keeps what came before.
    void lineLength_data() {
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<int>("failure");
        const qsizetype bound = kMaxSettingsLineLength;
        QTest::newRow("at the bound, no element") << QByteArray(bound, 'x') << 0;
        QTest::newRow("at the bound, CR LF after") << QByteArray(bound, 'x') + "\r\n" << 0;
        QTest::newRow("one beyond") << QByteArray(bound + 1, 'x') << FileError::LineTooLong;
        QTest::newRow("element, then text to the bound")
            << "<LG_PORT_SPEED>1</LG_PORT_SPEED>" + QByteArray(bound - 32, ' ') << 0;
        QTest::newRow("NUL bytes beyond the bound")
            << QByteArray(bound + 10, '\0') << FileError::LineTooLong;
    }
    void lineLength() {
        QFETCH(QByteArray, line);
        QFETCH(int, failure);
        QCOMPARE(writeSettingsFile(path(), "<LG_PORT_NAME>Com2</LG_PORT_NAME>\r\n" + line), 0);
        PortSettingsRecord s;
        QCOMPARE(readSettingsFile(path(), s), failure);
        QCOMPARE(s.Name, "Com2");
        PortSettingsRecord fromBytes;
        QCOMPARE(readSettingsBytes(readBytes(path()), fromBytes), failure);
    }

    // What stands at the file's name is looked at before it is opened: nothing here may block.
    void notARegularFile_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<int>("failure");
        QTest::newRow("pipe") << "fifo" << FileError::SpecialNotFile;
        QTest::newRow("link to a pipe") << "link to fifo" << FileError::SpecialNotFile;
        QTest::newRow("link to the zero device") << "/dev/zero" << FileError::SpecialNotFile;
        QTest::newRow("link to the random device") << "/dev/urandom" << FileError::SpecialNotFile;
        QTest::newRow("link to the null device") << "/dev/null" << FileError::SpecialNotFile;
        QTest::newRow("socket") << "socket" << FileError::SpecialNotFile;
        QTest::newRow("folder") << "folder" << FileError::FolderNotFile;
        QTest::newRow("link to a folder") << "link to folder" << FileError::FolderNotFile;
        QTest::newRow("link to a regular file") << "link to file" << 0;
        QTest::newRow("dangling link") << "dangling" << FileError::FileNotFound;
    }
    void notARegularFile() {
        QFETCH(QString, kind);
        QFETCH(int, failure);
        int socket = -1;
        make(kind, socket);
        if (QTest::currentTestFailed())
            return;
        PortSettingsRecord s;
        const int got = readSettingsFile(path(), s);
        if (socket >= 0)
            ::close(socket);
        removeWhatIsThere();
        QCOMPARE(got, failure);
        QCOMPARE(s.Name, failure ? QString() : QStringLiteral("Com5"));
    }

    // A save replaces only a regular file, through a link where the link leads, and the link
    // stays; anything else (one pipe and one folder stand for all) is left as it is and no
    // temporary copy remains.
    void aSaveReplacesOnlyAFile_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<int>("failure");
        QTest::newRow("pipe") << "fifo" << FileError::SpecialNotFile;
        QTest::newRow("link to a pipe") << "link to fifo" << FileError::SpecialNotFile;
        QTest::newRow("folder") << "folder" << FileError::FolderNotFile;
        QTest::newRow("link to a folder") << "link to folder" << FileError::FolderNotFile;
        QTest::newRow("link to a regular file") << "link to file" << 0;
        QTest::newRow("dangling link") << "dangling" << 0;
    }
    void aSaveReplacesOnlyAFile() {
        QFETCH(QString, kind);
        QFETCH(int, failure);
        int socket = -1;
        make(kind, socket);
        if (QTest::currentTestFailed())
            return;
        const QFileInfo before(path());
        const int got = writeSettingsFile(path(), "<LG_PORT_NAME>Com6</LG_PORT_NAME>");
        const QFileInfo after(path());
        const QStringList left =
            QDir(dir_.path()).entryList({"*.gear-monitor-save-*"}, QDir::AllEntries | QDir::Hidden);
        const bool toAFile = kind == "link to file" || kind == "dangling";
        const QByteArray target = toAFile ? readBytes(dir_.filePath("elsewhere")) : QByteArray();
        if (socket >= 0)
            ::close(socket);
        removeWhatIsThere();
        QCOMPARE(got, failure);
        QCOMPARE(after.isSymLink(), before.isSymLink());
        QCOMPARE(after.isDir(), before.isDir());
        QCOMPARE(after.isFile(), before.isFile());
        QCOMPARE(left, QStringList());
        if (toAFile)
            QCOMPARE(target, QByteArray("<LG_PORT_NAME>Com6</LG_PORT_NAME>"));
    }

private:
    // Puts `kind` at the settings file's name; a socket's descriptor goes to `socket`.
    void make(const QString &kind, int &socket) {
        const QString elsewhere = dir_.filePath("elsewhere");
        QFile::remove(elsewhere);
        QDir(elsewhere + "-folder").removeRecursively();
        if (kind == "fifo") {
            QCOMPARE(::mkfifo(QFile::encodeName(path()).constData(), 0600), 0);
        } else if (kind == "link to fifo") {
            QCOMPARE(::mkfifo(QFile::encodeName(elsewhere).constData(), 0600), 0);
            QVERIFY(QFile::link(elsewhere, path()));
        } else if (kind == "socket") {
            socket = bindSocket(path());
            QVERIFY(socket >= 0);
        } else if (kind == "folder") {
            QVERIFY(QDir().mkpath(path()));
        } else if (kind == "link to folder") {
            QVERIFY(QDir().mkpath(elsewhere + "-folder"));
            QVERIFY(QFile::link(elsewhere + "-folder", path()));
        } else if (kind == "link to file") {
            QCOMPARE(writeSettingsFile(elsewhere, "<LG_PORT_NAME>Com5</LG_PORT_NAME>"), 0);
            QVERIFY(QFile::link(elsewhere, path()));
        } else if (kind == "dangling") {
            QVERIFY(QFile::link(elsewhere, path()));
        } else {
            QVERIFY(QFile::link(kind, path()));
        }
    }

    // Removes the link itself: following it would empty the folder it leads to.
    void removeWhatIsThere() {
        if (QFileInfo(path()).isSymLink() || !QFileInfo(path()).isDir())
            QFile::remove(path());
        else
            QDir(path()).removeRecursively();
    }
};

QTEST_GUILESS_MAIN(UnusualFilesTest)
#include "unusual_files_test.moc"
