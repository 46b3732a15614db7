#include "FakeHost.h"

#include "FakeSerial.h"
#include "platform/QtSerialComponent.h"

#include <QDir>

FakeHost::FakeHost() : clock(QDate(2026, 12, 6), QTime(2, 45, 40)), folder(dir_.path()) {}

void FakeHost::showMessage(const QString &text) {
    messages << text;
    if (whileMessageShown)
        whileMessageShown();
}

void FakeHost::processEvents() {
    ++processEventsCalls;
    if (onProcessEvents)
        onProcessEvents();
}

QString FakeHost::settingsFolder() const {
    return userSettingsFolder.isEmpty() ? folder : userSettingsFolder;
}

void FakeHost::makeSettingsFolder() {
    if (!userSettingsFolder.isEmpty())
        QDir().mkpath(userSettingsFolder);
}

std::unique_ptr<SerialComponent> FakeHost::createSerialComponent() {
    if (serialCreationFails)
        return nullptr;
    if (realSerial) {
        auto port = std::make_unique<QtSerialComponent>(settingsFolder());
        lastRealSerial = port.get();
        return port;
    }
    auto serial = std::make_unique<FakeSerial>();
    lastSerial = serial.get();
    return serial;
}
