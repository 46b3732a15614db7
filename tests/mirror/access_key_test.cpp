// The mirror's access key, the file that keeps it, and what one client may cost.
#include "mirror/AccessKey.h"
#include "mirror/ClientPace.h"
#include "mirror/KeyFile.h"

#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr char kKey[] = "0123456789abcdef0123456789abcdef";

void writeFile(const QString &path, const QByteArray &bytes, mode_t mode) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
    f.close();
    QCOMPARE(::chmod(QFile::encodeName(path).constData(), mode), 0);
}

mode_t modeOf(const QString &path) {
    struct stat info {};
    return ::lstat(QFile::encodeName(path).constData(), &info) == 0 ? info.st_mode & 07777 : 0;
}

} // namespace

class AccessKeyTest : public QObject {
    Q_OBJECT
private slots:
    void newKeysAre128RandomBits() {
        const QRegularExpression digits("^[0-9a-f]{32}$");
        QSet<QByteArray> seen;
        for (int i = 0; i < 100; ++i) {
            const QByteArray key = newAccessKey();
            QVERIFY2(digits.match(QString::fromLatin1(key)).hasMatch(), key.constData());
            seen.insert(key);
        }
        QCOMPARE(seen.size(), 100);
    }

    void keyMatchesOnlyItself_data() {
        QTest::addColumn<QByteArray>("given");
        QTest::addColumn<bool>("matches");
        QTest::newRow("the key") << QByteArray(kKey) << true;
        QTest::newRow("last digit differs")
            << QByteArray("0123456789abcdef0123456789abcdee") << false;
        QTest::newRow("first digit differs")
            << QByteArray("1123456789abcdef0123456789abcdef") << false;
        QTest::newRow("a prefix") << QByteArray("0123456789abcdef") << false;
        QTest::newRow("empty") << QByteArray() << false;
    }
    void keyMatchesOnlyItself() {
        QFETCH(QByteArray, given);
        QFETCH(bool, matches);
        QCOMPARE(keyMatches(given, kKey), matches);
        QVERIFY(!keyMatches(given, QByteArray())); // no key lets nobody in
    }

    void keyFileText_data() {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QByteArray>("key"); // empty: refused
        QTest::newRow("digits") << QByteArray(kKey) << QByteArray(kKey);
        QTest::newRow("line end") << QByteArray(kKey).append('\n') << QByteArray(kKey);
        QTest::newRow("CR LF") << QByteArray(kKey).append("\r\n") << QByteArray(kKey);
        QTest::newRow("upper case, taken in lower")
            << QByteArray("0123456789ABCDEF0123456789ABCDEF") << QByteArray(kKey);
        QTest::newRow("two line ends") << QByteArray(kKey).append("\n\n") << QByteArray();
        QTest::newRow("33 digits") << QByteArray(kKey).append('0') << QByteArray();
        QTest::newRow("not hex") << QByteArray("0123456789abcdef0123456789abcdeg") << QByteArray();
        QTest::newRow("NUL inside") << QByteArray("0123456789abcdef\0"
                                                  "123456789abcdef",
                                                  32)
                                    << QByteArray();
    }
    void keyFileText() {
        QFETCH(QByteArray, text);
        QFETCH(QByteArray, key);
        QCOMPARE(keyFromText(text).value_or(QByteArray()), key);
    }

    // What a client is sent at each snapshot, given what still waits for it.
    void clientPace_data() {
        QTest::addColumn<QList<qint64>>("unsent");
        QTest::addColumn<QList<Delivery>>("expected");
        const qint64 over = kMaxUnsentBytes + 1;
        QTest::newRow("keeping up")
            << QList<qint64>{0, 0, kMaxUnsentBytes}
            << QList<Delivery>{Delivery::Whole, Delivery::Changes, Delivery::Changes};
        QTest::newRow("falls behind, catches up: the whole panel again")
            << QList<qint64>{0, over, over, 10, 0}
            << QList<Delivery>{Delivery::Whole, Delivery::Skip, Delivery::Skip, Delivery::Whole,
                               Delivery::Changes};
        QTest::newRow("behind from the start")
            << QList<qint64>{over, 0} << QList<Delivery>{Delivery::Skip, Delivery::Whole};
        QList<qint64> stalled(kMaxBehindSnapshots + 1, over);
        QList<Delivery> skipped(kMaxBehindSnapshots, Delivery::Skip);
        QTest::newRow("stays behind: dropped")
            << stalled << skipped + QList<Delivery>{Delivery::Drop};
        QList<qint64> nearly(kMaxBehindSnapshots, over);
        QTest::newRow("catching up in time resets the count")
            << nearly + QList<qint64>{0} + nearly
            << (skipped + QList<Delivery>{Delivery::Whole} + skipped);
    }
    void clientPace() {
        QFETCH(QList<qint64>, unsent);
        QFETCH(QList<Delivery>, expected);
        ClientPace pace;
        QList<Delivery> got;
        for (qint64 bytes : unsent)
            got << pace.next(bytes);
        QCOMPARE(got, expected);
    }

    // A key file at each kind of thing that can stand at its name.
    void keyFile_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("refusal"); // empty: a key is read or made
        QTest::newRow("missing: made") << "missing"
                                       << "";
        QTest::newRow("a key, mode 600") << "key600"
                                         << "";
        QTest::newRow("a key others may read") << "key644"
                                               << "others may read or change it";
        QTest::newRow("a key the group may change") << "key620"
                                                    << "others may read or change it";
        QTest::newRow("not a key") << "garbage"
                                   << "does not hold a key";
        QTest::newRow("huge") << "huge"
                              << "too large";
        QTest::newRow("folder") << "folder"
                                << "not a regular file";
        QTest::newRow("FIFO") << "fifo"
                              << "not a regular file";
        QTest::newRow("device") << "device"
                                << "not a regular file";
        QTest::newRow("link to a key") << "link"
                                       << "symbolic link";
        QTest::newRow("dangling link") << "dangling"
                                       << "symbolic link";
        QTest::newRow("folder missing") << "nofolder"
                                        << "No such file";
    }
    void keyFile() {
        QFETCH(QString, kind);
        QFETCH(QString, refusal);
        QTemporaryDir dir;
        QString path = dir.filePath("mirror.key");
        const QByteArray keyText = QByteArray(kKey) + '\n';
        if (kind.startsWith("key"))
            writeFile(path, keyText, mode_t(kind.mid(3).toInt(nullptr, 8)));
        else if (kind == "garbage")
            writeFile(path, "hello\n", 0600);
        else if (kind == "huge")
            writeFile(path, QByteArray(1 << 20, 'a'), 0600);
        else if (kind == "folder")
            QVERIFY(QDir(dir.path()).mkdir("mirror.key"));
        else if (kind == "fifo")
            QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
        else if (kind == "device")
            path = "/dev/null";
        else if (kind == "link" || kind == "dangling") {
            const QString target = dir.filePath("real.key");
            if (kind == "link")
                writeFile(target, keyText, 0600);
            QVERIFY(QFile::link(target, path));
        } else if (kind == "nofolder")
            path = dir.filePath("none/mirror.key");

        const KeyFileResult result = keyFromFile(path);
        if (!refusal.isEmpty()) {
            QVERIFY2(result.refusal.contains(refusal), qPrintable(result.refusal));
            QVERIFY(result.key.isEmpty());
            QVERIFY(!result.made);
            if (kind == "dangling") // nothing made through the link
                QVERIFY(!QFile::exists(dir.filePath("real.key")));
            return;
        }
        QVERIFY2(result.refusal.isEmpty(), qPrintable(result.refusal));
        QCOMPARE(result.made, kind == "missing");
        if (kind != "missing") {
            QCOMPARE(result.key, QByteArray(kKey));
            return;
        }
        QCOMPARE(modeOf(path), mode_t(0600));
        QCOMPARE(keyFromFile(path).key, result.key); // the next run reads the same key
    }

    // The umask cannot widen a made key file's mode.
    void madeKeyFileIgnoresAWideUmask() {
        QTemporaryDir dir;
        const mode_t old = ::umask(0);
        const KeyFileResult result = keyFromFile(dir.filePath("k"));
        ::umask(old);
        QVERIFY(result.made);
        QCOMPARE(modeOf(dir.filePath("k")), mode_t(0600));
    }
};

QTEST_APPLESS_MAIN(AccessKeyTest)
#include "access_key_test.moc"
