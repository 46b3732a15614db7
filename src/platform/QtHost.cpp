#include "platform/QtHost.h"

#include "platform/QtSerialComponent.h"
#include "platform/SettingsFolder.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QMessageBox>
#include <QStandardPaths>

Q_LOGGING_CATEGORY(lcSettingsFolder, "gear.settings", QtCriticalMsg)

void QtHost::showMessage(const QString &text) {
    // One OK button, no icon; the title is the program's own name.
    QMessageBox box(QMessageBox::NoIcon, QStringLiteral("Landing Gear Controller Monitor"), text,
                    QMessageBox::Ok, parent_);
    // Messages carry paths, device names and link targets: shown as written, never as markup.
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

void QtHost::beep() {
    QApplication::beep();
}

void QtHost::processEvents() {
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

QString QtHost::programFolder() const {
    return QCoreApplication::applicationDirPath();
}

QString QtHost::settingsFolder() const {
    if (settingsFolder_.isEmpty()) {
        const QString folder = programFolder();
        const ProgramFolderFacts facts{
            folder,
            !settingsFileName_.isEmpty() &&
                QFileInfo::exists(folder + QDir::separator() + settingsFileName_),
            QFileInfo(folder).isWritable()};
        settingsFolder_ = chooseSettingsFolder(
            facts, QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation));
        qCDebug(lcSettingsFolder) << "settings file and comN links in" << settingsFolder_;
    }
    return settingsFolder_;
}

// The user's configuration folder is made on the first save, not merely by starting the program.
void QtHost::makeSettingsFolder() {
    if (settingsFolder() != programFolder())
        QDir().mkpath(settingsFolder());
}

QDateTime QtHost::now() const {
    return QDateTime::currentDateTime();
}

// Ports are numbered by the comN links beside the settings file and the system's own ports.
std::unique_ptr<SerialComponent> QtHost::createSerialComponent() {
    return std::make_unique<QtSerialComponent>(settingsFolder());
}
