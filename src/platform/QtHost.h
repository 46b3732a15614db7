#pragma once

#include "platform/Host.h"

class QWidget;

// The host as the running program sees it: Qt's message box, beep and event loop, the folder of
// the executable, the local clock and the serial port.
class QtHost : public Host {
public:
    // `settingsFileName`: the settings file whose presence keeps the settings beside the program;
    // without it only whether the program's folder may be written counts.
    explicit QtHost(const QString &settingsFileName = {}) : settingsFileName_(settingsFileName) {}
    void setDialogParent(QWidget *parent) { parent_ = parent; }

    void showMessage(const QString &text) override;
    void beep() override;
    void processEvents() override;
    QString programFolder() const override;
    QString settingsFolder() const override;
    void makeSettingsFolder() override;
    QDateTime now() const override;
    std::unique_ptr<SerialComponent> createSerialComponent() override;

private:
    QWidget *parent_ = nullptr;
    QString settingsFileName_;
    mutable QString settingsFolder_; // chosen once, so the file and the links stay together
};
