#pragma once

#include <QList>
#include <QObject>
#include <QString>
#include <QVariant>

#include <cstdint>

// The outcome of one operation on the serial component: success, or failure with a description.
struct [[nodiscard]] SerialResult {
    bool ok = true;
    QString description;

    static SerialResult success() { return {}; }
    static SerialResult failure(const QString &text) { return {false, text}; }
};

// What the monitor asks of its serial port. The settings are handed over one by one while the
// port is closed and the port is opened last; nothing is ever written to the controller.
//
// The codes the port settings turn into: parity 0..4 = none, odd, even, mark, space; stop bits
// 0..2 = one, one and a half, two; flow control 0 none, 1 RTS/CTS, 2 DSR/DTR, 4 Xon/Xoff.
class SerialComponent : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    ~SerialComponent() override = default;

    // Port numbers that can be opened, in menu order.
    virtual QList<int> listPorts() = 0;
    // The device behind a port number, for the menu's tooltip; empty when unknown.
    virtual QString portDevice(int portNumber) const = 0;

    // Whether the device the port last opened, or the comN link it was reached through, leads to
    // a device now. A look at one path, cheap enough to make every second while a vanished port
    // is waited for, where listing every port would not be. True when it cannot tell.
    virtual bool lastDevicePresent() const { return true; }

    virtual bool isOpen() const = 0;
    virtual SerialResult setOpen(bool open) = 0;
    virtual SerialResult setPortNumber(double portNumber) = 0;
    virtual SerialResult setSpeed(double bitsPerSecond) = 0;
    virtual SerialResult setParity(int16_t code) = 0;
    virtual SerialResult setStopBits(int16_t code) = 0;
    virtual SerialResult setDataBits(int16_t bits) = 0;
    virtual SerialResult setFlowControl(int16_t code) = 0;
    virtual SerialResult setLineTerminator(const QString &terminator) = 0;
    virtual SerialResult setIntegerOption(int16_t value) = 0;
    virtual SerialResult setFirstSwitch(bool on) = 0;
    virtual SerialResult setSecondSwitch(bool on) = 0;

    // While set, opening also refuses a device another process holds open. A terminal that is
    // some session's controlling terminal is refused whatever this says.
    virtual void setRefuseHeldDevices(bool refuse) { (void)refuse; }

    // Reads the port at most once per `milliseconds`, the bytes waiting in the system meanwhile;
    // 0, the default, reads them as they arrive. Lines still go out one by one, in order.
    virtual void setReadPause(int milliseconds) { (void)milliseconds; }
    // Reads, now, whatever the system holds for the port, pause or not: its lines are delivered
    // before this returns.
    virtual void readWaiting() {}

signals:
    // One received line (terminator included) per emission, on the GUI thread; or a null variant.
    void OnRead(const QVariant &data);
    // The device went away (hang-up, adapter pulled): the component has already closed the port.
    void linkLost(const QString &description);
};
