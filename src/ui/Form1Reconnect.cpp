// A port whose device went away is opened again when it returns, and the Port
// list follows the ports present each time the Comm menu opens.
#include "ui/Form1.h"

#include "link/PortOpening.h"
#include "link/PortSetup.h"
#include "platform/Logging.h"
#include "platform/SerialComponent.h"

#include <QAction>
#include <QMenu>
#include <QTimer>

void Form1::setUpReconnect() {
    // Runs only while a vanished port is waited for: nothing is polled otherwise.
    reconnectTimer_ = new QTimer(this);
    reconnectTimer_->setObjectName(QStringLiteral("ReconnectTimer"));
    reconnectTimer_->setInterval(ReconnectWait::kTryIntervalMs);
    connect(reconnectTimer_, &QTimer::timeout, this, &Form1::Reconnect_Timer);
    connect(menu(MenuId::Menu_Comm), &QMenu::aboutToShow, this, &Form1::CommMenu_AboutToShow);
}

// The open port's device went away and the port is closed: the link is lost,
// and the same port is waited for. A port the user has meanwhile reopened, or a
// choice of no port, is not.
void Form1::portVanished() {
    if (hold_.holdEvent([this] { portVanished(); }))
        return;
    state_.LinkSilenceCount = kLinkFailedCount;
    recordPortState();
    if (!MSPort1 || MSPort1->isOpen() || portNumberOf(state_.PortSettings.Name) <= 0)
        return;
    qCInfo(gearLink).noquote() << "waiting for" << state_.PortSettings.Name << "to come back";
    reconnect_.begin();
    reconnectTimer_->start();
}

void Form1::endReconnectWait() {
    reconnect_.end();
    if (reconnectTimer_)
        reconnectTimer_->stop();
}

// One silent try: the comN link is looked up afresh by the port, so a link that
// now leads to another device is followed. A refusal keeps the wait going and
// only reaches the log, once for each new reason: a device that is someone's
// terminal, or that another program holds, is named there once, not each second.
void Form1::Reconnect_Timer() {
    const PortParameters parameters = portParameters(state_.PortSettings);
    if (!reconnect_.waiting() || !MSPort1 || parameters.portNumber <= 0) {
        endReconnectWait();
        return;
    }
    // A message box is up: its handler decides what happens to the port; try
    // again later.
    if (hold_.holding())
        return;
    // Opening lists every port; while the device is plainly still gone, a look
    // at its path is enough.
    if (!MSPort1->lastDevicePresent()) {
        noteFailedTry(QStringLiteral("its device is not there"));
        return;
    }
    qCDebug(gearLink).noquote() << "trying" << state_.PortSettings.Name;
    const SerialResult result = openPort(*MSPort1, parameters, OpenFor::DeviceReturned);
    if (result.ok) {
        qCInfo(gearLink).noquote() << state_.PortSettings.Name << "is back and open again";
        endReconnectWait();
        recordPortState();
        return;
    }
    (void)closeIfOpen(*MSPort1);
    noteFailedTry(result.description);
}

void Form1::noteFailedTry(const QString &reason) {
    if (reconnect_.tryFailed(reason))
        qCInfo(gearLink).noquote()
            << state_.PortSettings.Name << "not opened yet, still waiting:" << reason;
}

// Ports plugged in or pulled out since the list was made appear or go; the
// checked port stays checked, and stays listed while it is absent.
void Form1::CommMenu_AboutToShow() {
    if (!MSPort1)
        return;
    QString checked;
    QList<int> listed;
    for (int i = 1; i < Menu_Port_Number.size(); ++i) {
        const QAction *item = Menu_Port_Number.at(i);
        listed << int(portNumberOf(item->text()));
        if (item->isChecked())
            checked = item->text();
    }
    const QList<int> wanted =
        portMenuNumbers(MSPort1->listPorts(), checked.isEmpty() ? 0 : int(portNumberOf(checked)));
    if (wanted == listed)
        return;
    qCDebug(gearUi) << "port list now" << wanted;
    rebuildPortItems(wanted, checked);
}
