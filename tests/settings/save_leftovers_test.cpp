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

namespace {

const QString kName = QString::fromLatin1(kSettingsFileName);
const QByteArray kWhole = formatSettingsFile(
    {}, QStringLiteral("Version"), QDateTime(QDate(2024, 5, 1), QTime(9, 0)), QLocale::c());

enum class Kind { File, Link, Folder };

void make(const QString &folder, const QString &name, Kind kind, const QByteArray &content) {
    const QString path = folder + '/' + name;
    switch (kind) {
    case Kind::File: {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        QCOMPARE(file.write(content), content.size());
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
        QTest::newRow("whole copy") << kName + ".aBcDeF" << Kind::File << kWhole << true;
        QTest::newRow("cut short") << kName + ".QwErTy" << Kind::File << kWhole.left(50) << true;
        QTest::newRow("cut in line 1") << kName + ".XyZabc" << Kind::File << kWhole.left(7) << true;
        QTest::newRow("empty") << kName + ".Ab12Cd" << Kind::File << QByteArray() << true;
        QTest::newRow("a user's .backup") << kName + ".backup" << Kind::File << kWhole << false;
        QTest::newRow("a user's .BEFORE") << kName + ".BEFORE" << Kind::File << kWhole << false;
        QTest::newRow("five letters") << kName + ".aBcDe" << Kind::File << kWhole << false;
        QTest::newRow("seven letters") << kName + ".aBcDeFg" << Kind::File << kWhole << false;
        QTest::newRow("other content")
            << kName + ".aBcDeF" << Kind::File << QByteArray("notes") << false;
        QTest::newRow("other name") << "other.XML.aBcDeF" << Kind::File << kWhole << false;
        QTest::newRow("name in other case")
            << kName.toLower() + ".aBcDeF" << Kind::File << kWhole << false;
        QTest::newRow("a link") << kName + ".aBcDeF" << Kind::Link << kWhole << false;
        QTest::newRow("a folder") << kName + ".aBcDeF" << Kind::Folder << QByteArray() << false;
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
        QCOMPARE(QFileInfo::exists(folder.filePath(name)), !removed);
        QVERIFY(QFileInfo::exists(folder.filePath(kName)));
    }

    // The window clears them as it starts, before anything reads or writes the settings.
    void theWindowClearsThemAtStart() {
        FakeHost host;
        make(host.folder, kName + ".JkLmNo", Kind::File, kWhole.left(100));
        make(host.folder, kName + ".backup", Kind::File, kWhole);
        Form1 window(host);
        QVERIFY(!QFileInfo::exists(host.folder + '/' + kName + ".JkLmNo"));
        QVERIFY(QFileInfo::exists(host.folder + '/' + kName + ".backup"));
    }
};

QTEST_MAIN(SaveLeftoversTest)
#include "save_leftovers_test.moc"
