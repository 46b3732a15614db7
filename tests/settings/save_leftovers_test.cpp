// Copies left by saves cut short are removed at start-up; everything else beside the settings
// file is left alone.
#include "FakeHost.h"
#include "settings/SaveLeftovers.h"
#include "settings/SettingsFile.h"
#include "ui/Form1.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>
#include <unistd.h>

namespace {

const QString kName = QString::fromLatin1(kSettingsFileName);
const QByteArray kWhole = formatSettingsFile(
    {}, QStringLiteral("Version"), QDateTime(QDate(2024, 5, 1), QTime(9, 0)), QLocale::c());

// A process id no process has: the saver of such a copy has ended.
constexpr qint64 kEnded = 2147483647;

QString copyOf(qint64 pid, const QString &digits = QStringLiteral("0123456789abcdef")) {
    return "." + kName + ".gear-monitor-save-" + QString::number(pid) + "-" + digits;
}

enum class Kind { File, Link, Folder, Pipe, OthersFile };

void make(const QString &folder, const QString &name, Kind kind, const QByteArray &content) {
    const QString path = folder + '/' + name;
    switch (kind) {
    case Kind::File:
    case Kind::OthersFile: {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        QCOMPARE(file.write(content), content.size());
        if (kind == Kind::OthersFile && ::chown(QFile::encodeName(path), 65534, 65534) != 0)
            QSKIP("cannot give a file to another user (needs root)");
        break;
    }
    case Kind::Link: {
        make(folder, "target", Kind::File, content);
        QVERIFY(QFile::link(folder + "/target", path));
        break;
    }
    case Kind::Folder:
        QVERIFY(QDir(folder).mkdir(name));
        break;
    case Kind::Pipe:
        QVERIFY(::mkfifo(QFile::encodeName(path), 0600) == 0);
        break;
    }
}

} // namespace

Q_DECLARE_METATYPE(Kind)

class SaveLeftoversTest : public QObject {
    Q_OBJECT
private slots:
    void onlyCopiesOfInterruptedSavesAreRemoved_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<Kind>("kind");
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<bool>("removed");
        QTest::newRow("whole copy") << copyOf(kEnded) << Kind::File << kWhole << true;
        QTest::newRow("cut short") << copyOf(kEnded) << Kind::File << kWhole.left(50) << true;
        QTest::newRow("cut in line 1") << copyOf(kEnded) << Kind::File << kWhole.left(7) << true;
        QTest::newRow("empty") << copyOf(kEnded, "fedcba9876543210") << Kind::File << QByteArray()
                               << true;
        QTest::newRow("its saver still runs")
            << copyOf(QCoreApplication::applicationPid()) << Kind::File << kWhole << false;
        // Six letters of mixed case are how an older version named its temporary copies, and
        // how people may name theirs: the two cannot be told apart, so those are kept.
        QTest::newRow("older version's copy") << kName + ".aBcDeF" << Kind::File << kWhole << false;
        QTest::newRow("a user's .backup") << kName + ".backup" << Kind::File << kWhole << false;
        QTest::newRow("a user's .BEFORE") << kName + ".BEFORE" << Kind::File << kWhole << false;
        QTest::newRow("five letters") << kName + ".aBcDe" << Kind::File << kWhole << false;
        QTest::newRow("seven letters") << kName + ".aBcDeFg" << Kind::File << kWhole << false;
        QTest::newRow("name in other case")
            << kName.toLower() + ".aBcDeF" << Kind::File << kWhole << false;
        QTest::newRow("other name") << "other.XML.aBcDeF" << Kind::File << kWhole << false;
        QTest::newRow("a user's copy of a copy")
            << copyOf(kEnded) + ".keep" << Kind::File << kWhole << false;
        QTest::newRow("no dot in front") << copyOf(kEnded).mid(1) << Kind::File << kWhole << false;
        QTest::newRow("upper-case digits")
            << copyOf(kEnded, "0123456789ABCDEF") << Kind::File << kWhole << false;
        QTest::newRow("process 0") << copyOf(0) << Kind::File << kWhole << false;
        QTest::newRow("other content")
            << copyOf(kEnded) << Kind::File << QByteArray("notes") << false;
        QTest::newRow("other file's copy")
            << ".other.XML.gear-monitor-save-1-0123456789abcdef" << Kind::File << kWhole << false;
        QTest::newRow("another user's") << copyOf(kEnded) << Kind::OthersFile << kWhole << false;
        QTest::newRow("a link") << copyOf(kEnded) << Kind::Link << kWhole << false;
        QTest::newRow("a folder") << copyOf(kEnded) << Kind::Folder << QByteArray() << false;
        QTest::newRow("a pipe") << copyOf(kEnded) << Kind::Pipe << QByteArray() << false;
    }
    void onlyCopiesOfInterruptedSavesAreRemoved() {
        QFETCH(QString, name);
        QFETCH(Kind, kind);
        QFETCH(QByteArray, content);
        QFETCH(bool, removed);
        QTemporaryDir folder;
        make(folder.path(), kName, Kind::File, kWhole);
        make(folder.path(), name, kind, content);

        const QStringList gone = removeInterruptedSaves(folder.filePath(kName));
        QCOMPARE(gone, removed ? QStringList{name} : QStringList{});
        QCOMPARE(QFileInfo(folder.filePath(name)).exists() ||
                     QFileInfo(folder.filePath(name)).isSymLink(),
                 !removed);
        QVERIFY(QFileInfo::exists(folder.filePath(kName)));
        if (kind == Kind::Link)
            QVERIFY(QFileInfo::exists(folder.filePath("target")));
    }

    // The save makes such names and no other, and leaves none behind.
    void aSaveLeavesOnlyTheFile() {
        QTemporaryDir folder;
        const QString path = folder.filePath(kName);
        QCOMPARE(saveCopyProcess(saveCopyName(kName, 42, ~0ULL), kName), 42);
        QCOMPARE(saveCopyProcess(saveCopyName(kName, 42, 1), kName), 42);
        QCOMPARE(writeSettingsFile(path, kWhole), 0);
        QCOMPARE(writeSettingsFile(path, kWhole), 0);
        QCOMPARE(
            QDir(folder.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
            QStringList{kName});
    }

    // The window clears them as it starts, before anything reads or writes the settings.
    void theWindowClearsThemAtStart() {
        FakeHost host;
        make(host.folder, copyOf(kEnded), Kind::File, kWhole.left(100));
        make(host.folder, kName + ".backup", Kind::File, kWhole);
        Form1 window(host);
        QVERIFY(!QFileInfo::exists(host.folder + '/' + copyOf(kEnded)));
        QVERIFY(QFileInfo::exists(host.folder + '/' + kName + ".backup"));
    }
};

QTEST_MAIN(SaveLeftoversTest)
#include "save_leftovers_test.moc"
