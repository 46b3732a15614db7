#pragma once

#include "platform/Host.h"

class QWidget;

// The host as the running program sees it: Qt's message box, beep and event loop, the folder of
// the executable, the local clock and the serial port.
class QtHost : public Host {
public:
    void setDialogParent(QWidget *parent) { parent_ = parent; }

    void showMessage(const QString &text) override;
    void beep() override;
    void processEvents() override;
    QString programFolder() const override;
    QDateTime now() const override;
    std::unique_ptr<SerialComponent> createSerialComponent() override;

private:
    QWidget *parent_ = nullptr;
};
