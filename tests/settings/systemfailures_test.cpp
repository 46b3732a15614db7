// Failures the system produces for real: a read-only file system, a full disk, a refused
// permission and the open-file limit. Mounting needs root; where it is refused the test is
// skipped and says why.
#include "ScopedMounts.h"
#include "settings/SettingsFile.h"

#include <QtTest>

#include <pwd.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <functional>
#include <optional>

namespace {

// Runs `job` in a child process as the unprivileged user "nobody" and returns its result (0 to
// 254), or nothing when the process cannot become that user.
std::optional<int> runAsNobody(const std::function<int()> &job) {
    const passwd *nobody = getpwnam("nobody");
    if (geteuid() != 0 || nobody == nullptr)
        return std::nullopt;
    const pid_t pid = fork();
    if (pid == 0) {
        if (setgid(nobody->pw_gid) != 0 || setuid(nobody->pw_uid) != 0)
            _exit(255);
        _exit(job()); // _exit: the child must not clean up the parent's temporary folders
    }
    int status = 0;
    if (pid < 0 || waitpid(pid, &status, 0) != pid || !WIFEXITED(status) ||
        WEXITSTATUS(status) == 255)
        return std::nullopt;
    return WEXITSTATUS(status);
}

QByteArray readBytes(const QString &path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

QStringList entries(const QString &folder) {
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
}

const QByteArray kOldFile = "<LG_PORT_NAME>Com1</LG_PORT_NAME>\r\n";

} // namespace

class SystemFailuresTest : public QObject {
    Q_OBJECT
private slots:
    void readOnlyFileSystem_refusesWriteKeepsFile() {
        QTemporaryDir dir;
        const QString file = settingsFilePath(dir.path());
        QCOMPARE(writeSettingsFile(file, kOldFile), 0);
        ScopedMounts mounts;
        if (const QString why = mounts.readOnlyBind(dir.path()); !why.isEmpty())
            QSKIP(qPrintable(why));

        QCOMPARE(writeSettingsFile(file, "new"), 75);
        QCOMPARE(settingsErrorText(75), QStringLiteral("Path/File access error"));
        PortSettingsRecord s;
        QCOMPARE(readSettingsFile(file, s), 0);
        QCOMPARE(s.Name, QStringLiteral("Com1"));
    }

    // A 4 KB tmpfs holds one page: the old file fills it, or the new content cannot fit.
    void diskFull_data() {
        QTest::addColumn<QByteArray>("oldContent"); // empty: no old file
        QTest::addColumn<int>("newSize");
        QTest::newRow("old file fills the disk") << kOldFile << 500;
        QTest::newRow("new file larger than the disk, old file kept") << kOldFile << 100000;
        // On an empty disk the first 4 KB are written without an error: a cut-off file.
        QTest::newRow("new file larger than the empty disk") << QByteArray() << 100000;
    }
    void diskFull() {
        QFETCH(QByteArray, oldContent);
        QFETCH(int, newSize);
        QTemporaryDir dir;
        ScopedMounts mounts;
        if (const QString why = mounts.tmpfs(dir.path(), "size=4k"); !why.isEmpty())
            QSKIP(qPrintable(why));
        const QString file = settingsFilePath(dir.path());
        if (!oldContent.isEmpty())
            QCOMPARE(writeSettingsFile(file, oldContent), 0);

        QCOMPARE(writeSettingsFile(file, QByteArray(newSize, 'n')), 61);
        QCOMPARE(settingsErrorText(61), QStringLiteral("Disk full"));
        if (oldContent.isEmpty()) {
            QCOMPARE(entries(dir.path()), QStringList());
        } else {
            QCOMPARE(readBytes(file), oldContent);
            QCOMPARE(entries(dir.path()), QStringList{kSettingsFileName});
        }
    }

    // A folder and file of root's that others may look into but not change.
    void permissionRefused() {
        QTemporaryDir dir;
        const QString file = settingsFilePath(dir.path());
        QCOMPARE(writeSettingsFile(file, kOldFile), 0);
        QVERIFY(QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner |
                                                      QFile::ExeOwner | QFile::ReadOther |
                                                      QFile::ExeOther));
        QVERIFY(QFile::setPermissions(file, QFile::ReadOwner | QFile::WriteOwner));

        const auto writeNumber = runAsNobody([&] { return writeSettingsFile(file, "new"); });
        if (!writeNumber)
            QSKIP("cannot run as the user nobody (needs root)");
        const auto readNumber = runAsNobody([&] {
            PortSettingsRecord s;
            return readSettingsFile(file, s);
        });
        QCOMPARE(*writeNumber, 70);
        QCOMPARE(readNumber.value_or(-1), 70);
        QCOMPARE(readBytes(file), kOldFile);
    }

    // The limit is lowered to the lowest free descriptor, so the next open must fail.
    void tooManyOpenFiles() {
        QTemporaryDir dir;
        const QString file = settingsFilePath(dir.path());
        QCOMPARE(writeSettingsFile(file, kOldFile), 0);
        const int lowestFree = dup(0);
        QVERIFY(lowestFree >= 0);
        close(lowestFree);
        rlimit saved{};
        QVERIFY(getrlimit(RLIMIT_NOFILE, &saved) == 0);
        const rlimit tight{rlim_t(lowestFree), saved.rlim_max};
        QVERIFY(setrlimit(RLIMIT_NOFILE, &tight) == 0);
        PortSettingsRecord s;
        const int readNumber = readSettingsFile(file, s);
        const int writeNumber = writeSettingsFile(file, "new");
        setrlimit(RLIMIT_NOFILE, &saved);

        QCOMPARE(readNumber, 67);
        QCOMPARE(writeNumber, 67);
        QCOMPARE(readBytes(file), kOldFile);
    }
};

QTEST_GUILESS_MAIN(SystemFailuresTest)
#include "systemfailures_test.moc"
