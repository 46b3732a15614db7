// Received lines, the port set-up and the port menus.
#include "ui/Form1.h"

#include "display/Colours.h"
#include "link/PortOpening.h"
#include "link/StatusDecoder.h"
#include "platform/Host.h"
#include "platform/SerialComponent.h"
#include "ui/MenuTable.h"
#include "ui/PlainToolTips.h"

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QScopeGuard>

void Form1::MSPort1_OnRead(const QVariant &data) {
    if (data.isNull())
        return;
    const QString line = cleanDelivery(data);
    // Recorded as the port delivers it: the hold below may drop a line that a newer one of its
    // kind supersedes, and the recording keeps every line.
    recordLine(line);
    if (!hold_.holdLine(int(recordKind(line)), [this, line] { takeLine(line); }))
        takeLine(line);
}

void Form1::takeLine(const QString &line) {
    state_.LastLine = line;
    DecodeStatusLine();
    // Decoding goes on while the view is frozen; only the view stands still.
    if (!state_.SerialViewFrozen)
        ScrollSerialView(state_.LastLine);
}

void Form1::DecodeStatusLine() {
    const LabelUpdate update = decodeStatusLine(state_.LastLine, state_, QLocale::system());
    if (update.firmwareVersion)
        setCaption(ControlId::FirmwareVersion, *update.firmwareVersion);
    if (update.cycleCount)
        setCaption(ControlId::LG_CycleCount, *update.cycleCount);
}

// Closes the port, hands it every setting while closed and opens it last. A name that gives no
// port number only closes it. Any refusal falls back to no port and declares the link failed.
void Form1::StartLGPort() {
    endReconnectWait();
    if (!MSPort1)
        return;
    SerialComponent &port = *MSPort1;
    recordPortClosing();
    const auto recordOpening = qScopeGuard([this] { recordPortState(); });
    const PortParameters parameters = portParameters(state_.PortSettings);
    // A name that gives no port number only closes the port.
    const SerialResult result =
        parameters.portNumber > 0 ? openPort(port, parameters) : closeIfOpen(port);
    if (result.ok)
        return;
    state_.PortSettings.Name = kNoPortName;
    state_.LinkSilenceCount = kLinkFailedCount;
    // A second refusal while closing is not shown: the first one is what the user must know.
    (void)closeIfOpen(port);
    showMessage(QStringLiteral("LG PORT ERROR : ") + result.description);
}

void Form1::LoadPortSettings() {
    rebuildPortItems(MSPort1 ? MSPort1->listPorts() : QList<int>(), state_.PortSettings.Name);
}

// Items 1 to n anew, one per port; the item whose caption is `checkedCaption` is checked.
void Form1::rebuildPortItems(const QList<int> &ports, const QString &checkedCaption) {
    QMenu *portMenu = menu(MenuId::Menu_Port);
    while (Menu_Port_Number.size() > 1) {
        QAction *item = Menu_Port_Number.takeLast();
        portMenu->removeAction(item);
        item->deleteLater();
    }
    for (int k = 0; k < ports.size(); ++k) {
        const int index = k + 1;
        const QString caption = QStringLiteral("Com") + QString::number(ports.at(k));
        QAction *item = portMenu->addAction(caption);
        item->setObjectName(QStringLiteral("Menu_Port_Number(%1)").arg(index));
        item->setCheckable(true);
        item->setChecked(checkedCaption == caption);
        item->setToolTip(MSPort1->portDevice(ports.at(k)));
        item->setVisible(true);
        connect(item, &QAction::triggered, this, [this, index] { Menu_Port_Number_Click(index); });
        Menu_Port_Number.append(item);
    }
}

void Form1::Menu_Port_Number_Click(int index) {
    const bool save = readBeforeFirstSave();
    if (index == 0)
        LoadPortSettings();
    for (int i = 0; i < Menu_Port_Number.size(); ++i) {
        QAction *item = Menu_Port_Number.at(i);
        item->setChecked(i == index);
        if (i == index)
            state_.PortSettings.Name = item->text();
    }
    ApplyPortSettings(save);
}

// Every item of the speed, parity, flow, data-bit and stop groups: only the chosen item of its
// group stays checked, its caption becomes the setting, and the port is reopened with it.
void Form1::SettingChoice_Click(MenuId item) {
    const bool save = readBeforeFirstSave();
    const MenuDef &def = menuDef(item);
    if (def.group == SettingGroup::Speed)
        ClearBaudChecks();
    else if (def.group == SettingGroup::Parity)
        ClearParityChecks();
    for (MenuId sibling : groupItems(def.group))
        menuItem(sibling)->setChecked(sibling == item);
    settingOf(state_.PortSettings, def.group) = QString::fromLatin1(def.caption);
    ApplyPortSettings(save);
}

void Form1::ClearBaudChecks() {
    for (MenuId item : groupItems(SettingGroup::Speed))
        menuItem(item)->setChecked(false);
}

void Form1::ClearParityChecks() {
    for (MenuId item : groupItems(SettingGroup::Parity))
        menuItem(item)->setChecked(false);
}

// Saves the choice (unless `save` is false: the file there could not be read, and is kept),
// declares the link failed until the reopened port brings lines, lets waiting events (painting
// included) run, then reopens the port.
void Form1::ApplyPortSettings(bool save) {
    // A choice ends any wait for a vanished port, before waiting events get a chance to reopen it.
    endReconnectWait();
    if (save) {
        state_.SaveRequested = true;
        LoadSaveFiles();
    }
    setBackground(ControlId::LG_CommOK, Colour::Red);
    state_.LinkSilenceCount = kLinkFailedCount;
    host_.processEvents();
    StartLGPort();
}

void Form1::connectMenus() {
    QAction *none = menu(MenuId::Menu_Port)->addAction(kNoPortName);
    none->setObjectName(QStringLiteral("Menu_Port_Number(0)"));
    none->setCheckable(true);
    connect(none, &QAction::triggered, this, [this] { Menu_Port_Number_Click(0); });
    Menu_Port_Number.append(none);
    // Each port item's tooltip is its device path, text from outside the program.
    menu(MenuId::Menu_Port)->setToolTipsVisible(true);
    menu(MenuId::Menu_Port)->installEventFilter(new PlainToolTips(this));

    for (const MenuDef &d : menuTable())
        if (d.kind == MenuKind::Choice)
            connect(menuItem(d.id), &QAction::triggered, this,
                    [this, id = d.id] { SettingChoice_Click(id); });
    connect(menuItem(MenuId::ResetPort), &QAction::triggered, this, &Form1::ResetPort_Click);
    connect(menuItem(MenuId::Save_Menu), &QAction::triggered, this, &Form1::Save_Menu_Click);
    connect(menuItem(MenuId::Show_Menu), &QAction::triggered, this, &Form1::Show_Menu_Click);
    connect(freezeButton(), &QPushButton::clicked, this, &Form1::FreezeButton_Click);
}
