#pragma once

#include "platform/Host.h"

#include <QStringList>
#include <QTemporaryDir>

#include <functional>

class FakeSerial;
class QtSerialComponent;

// A host for tests: message boxes are recorded (and may run a hook while "open"), the beep is
// counted, the program's folder is a temporary one and the clock is fixed. The window gets a
// scripted FakeSerial, or with `realSerial` the program's own port on QSerialPort, which finds
// its comN links in the temporary folder.
class FakeHost : public Host {
private:
    QTemporaryDir dir_; // first: the program's folder lies in it

public:
    FakeHost();

    QStringList messages;
    int beeps = 0;
    int processEventsCalls = 0;
    QDateTime clock;
    QString folder;
    // Where an installed program keeps its settings; empty: beside the program, in `folder`.
    QString userSettingsFolder;
    bool serialCreationFails = false;
    bool realSerial = false;
    FakeSerial *lastSerial = nullptr;
    QtSerialComponent *lastRealSerial = nullptr;
    // Runs while a message box is up, as a nested event loop would.
    std::function<void()> whileMessageShown;
    // Runs when the window lets waiting events run.
    std::function<void()> onProcessEvents;

    void showMessage(const QString &text) override;
    void beep() override { ++beeps; }
    void processEvents() override;
    QString programFolder() const override { return folder; }
    QString settingsFolder() const override;
    void makeSettingsFolder() override;
    QDateTime now() const override { return clock; }
    std::unique_ptr<SerialComponent> createSerialComponent() override;
};
