// The settings file: SAVE PORT, and the write and read of the port settings.
#include "ui/Form1.h"

#include "display/Colours.h"
#include "platform/Host.h"
#include "platform/Logging.h"
#include "settings/FileErrors.h"
#include "settings/SettingsFile.h"
#include "ui/MenuTable.h"

#include <QAction>
#include <QLabel>

void Form1::Save_Menu_Click() {
    if (!readBeforeFirstSave())
        return;
    state_.SaveRequested = true;
    LoadSaveFiles();
}

// Writes the file when asked to, then reads it when asked to; a failure anywhere is reported
// with the file's path and abandons the rest.
void Form1::LoadSaveFiles() {
    const QString path = settingsFilePath(host_.settingsFolder());
    int failure = 0;
    if (state_.SaveRequested) {
        host_.makeSettingsFolder();
        const QByteArray content =
            formatSettingsFile(state_.PortSettings, label(ControlId::VersionNumber)->text(),
                               host_.now(), QLocale::system());
        failure = saveSettingsFile(path, content);
        if (failure == 0)
            state_.SaveRequested = false;
    }
    if (failure == 0 && state_.LoadRequested)
        failure = readSettings(path);
    if (failure != 0)
        reportSettingsFailure(failure, path);
}

// Reads the file into the port settings; once it is read, lets waiting events run, declares the
// link failed and sets the check marks from what was read. Returns 0 or the failure number.
int Form1::readSettings(const QString &path) {
    int failure = readSettingsFile(path, state_.PortSettings);
    // The user's settings folder is made on the first save; until then the file is simply not
    // there yet.
    if (failure == FileError::PathNotFound && host_.settingsFolder() != host_.programFolder())
        failure = FileError::FileNotFound;
    if (failure != 0)
        return failure;
    state_.LoadRequested = false;
    state_.SettingsRead = true;
    host_.processEvents();
    setBackground(ControlId::LG_CommOK, Colour::Red);
    state_.LinkSilenceCount = kLinkFailedCount;
    checkMenusFromSettings();
    return 0;
}

// Before the settings are read at start, the record is empty or holds only what was chosen
// since: a save would write that over the user's settings. So the first save reads the file as
// the start-up read does, and the choice is applied on top. A file that is not there is no
// failure here (the save makes it); one that is there but cannot be read must not be written
// over: false, after the failure is reported as the start-up read would report it.
bool Form1::readBeforeFirstSave() {
    if (state_.SettingsRead)
        return true;
    const QString path = settingsFilePath(host_.settingsFolder());
    const int failure = readSettings(path);
    if (failure == 0 || failure == FileError::FileNotFound || failure == FileError::PathNotFound) {
        state_.SettingsRead = true;
        return true;
    }
    reportSettingsFailure(failure, path);
    return false;
}

void Form1::reportSettingsFailure(int failure, const QString &path) {
    // The flags are cleared before the box, so nothing run after it writes or reads again.
    state_.SaveRequested = false;
    state_.LoadRequested = false;
    host_.beep();
    qCWarning(gearSettings) << "settings file" << path << "failed with number" << failure;
    showMessage(settingsFailureMessage(failure, path));
}

// After a read the menus show what was read; a value outside a group's set checks the item the
// window started with, while the setting itself keeps the text as read.
void Form1::checkMenusFromSettings() {
    for (QAction *item : Menu_Port_Number)
        item->setChecked(item->text() == state_.PortSettings.Name);
    for (SettingGroup group : {SettingGroup::Speed, SettingGroup::Parity, SettingGroup::DataLength,
                               SettingGroup::FlowControl, SettingGroup::StopBits}) {
        const QString &value = settingOf(state_.PortSettings, group);
        const std::vector<MenuId> items = groupItems(group);
        const bool known = std::any_of(items.begin(), items.end(), [&](MenuId id) {
            return value == QLatin1String(menuDef(id).caption);
        });
        for (MenuId id : items) {
            const MenuDef &d = menuDef(id);
            menuItem(id)->setChecked(known ? value == QLatin1String(d.caption) : d.checkedAtStart);
        }
    }
}
