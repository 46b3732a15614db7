#pragma once

#include "platform/SerialComponent.h"

#include <QStringList>

// A scripted serial component: records every call in order, fails the operation named in
// `failOn` with `failText`, and lets a test deliver received data.
class FakeSerial : public SerialComponent {
    Q_OBJECT
public:
    QStringList calls;
    QList<int> ports;
    QString failOn;
    QString failText = QStringLiteral("scripted failure");
    bool open = false;
    // What the system holds for the port, not read yet: readWaiting delivers it.
    QStringList unread;

    QList<int> listPorts() override;
    QString portDevice(int portNumber) const override;
    bool isOpen() const override { return open; }
    SerialResult setOpen(bool on) override;
    SerialResult setPortNumber(double n) override;
    SerialResult setSpeed(double bps) override;
    SerialResult setParity(int16_t code) override;
    SerialResult setStopBits(int16_t code) override;
    SerialResult setDataBits(int16_t bits) override;
    SerialResult setFlowControl(int16_t code) override;
    SerialResult setLineTerminator(const QString &terminator) override;
    SerialResult setIntegerOption(int16_t value) override;
    SerialResult setFirstSwitch(bool on) override;
    SerialResult setSecondSwitch(bool on) override;

    void readWaiting() override;

    void deliver(const QVariant &data) { emit OnRead(data); }

private:
    SerialResult record(const QString &call);
};
