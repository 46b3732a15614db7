#pragma once

#include "platform/LineAssembler.h"
#include "platform/PortNumbering.h"
#include "platform/ReadPause.h"
#include "platform/SerialComponent.h"
#include "platform/TerminalUsers.h"

#include <QSerialPort>
#include <QStringList>

// The monitor's serial port on QSerialPort. Settings are stored while the port is closed and take
// effect when it opens; the port number is turned into a device only then, so a port that was
// unplugged and plugged back (under the same comN link) opens again. The port is opened for
// reading only: the monitor never transmits. A terminal that is some session's own is never set
// up as the port (see TerminalUsers.h).
class QtSerialComponent : public SerialComponent {
    Q_OBJECT
public:
    explicit QtSerialComponent(const QString &programFolder, QObject *parent = nullptr);
    ~QtSerialComponent() override;

    QList<int> listPorts() override;
    QString portDevice(int portNumber) const override;
    bool lastDevicePresent() const override;

    bool isOpen() const override { return port_.isOpen(); }
    SerialResult setOpen(bool open) override;
    SerialResult setPortNumber(double portNumber) override;
    SerialResult setSpeed(double bitsPerSecond) override;
    SerialResult setParity(int16_t code) override;
    SerialResult setStopBits(int16_t code) override;
    SerialResult setDataBits(int16_t bits) override;
    SerialResult setFlowControl(int16_t code) override;
    SerialResult setLineTerminator(const QString &terminator) override;
    // The open sequence hands over three further options; this port has no use for them.
    SerialResult setIntegerOption(int16_t) override { return SerialResult::success(); }
    SerialResult setFirstSwitch(bool) override { return SerialResult::success(); }
    SerialResult setSecondSwitch(bool) override { return SerialResult::success(); }
    void setReadPause(int milliseconds) override { pause_.setMilliseconds(milliseconds); }
    void setRefuseHeldDevices(bool refuse) override { refuseHeld_ = refuse; }
    void readWaiting() override;

private:
    QList<NumberedPort> currentPorts() const;
    SerialResult openPort();
    SerialResult deviceForPort(QString &device) const;
    SerialResult notASerialDevice(const QString &shownPath) const;
    void closePort();
    SerialResult portResult(bool ok) const;
    SerialResult refusal(const QString &device) const;
    SerialResult lookBeforeOpening(const TerminalLook &look, const QString &device);
    SerialResult lookAfterOpening(const TerminalLook &look, const QString &device) const;
    SerialResult refusedUse(const QString &device, const TerminalUse &use) const;
    void readArrived();
    qint64 readBuffered();
    bool deliverLines();
    void portFailed(QSerialPort::SerialPortError error);

    QString programFolder_;
    QSerialPort port_;
    int portNumber_ = 0;
    // What the last open went through: the comN link, if the number came from one, and the device.
    QString lastLink_;
    QString lastDevice_;
    bool holdDtr_ = false;
    bool refuseHeld_ = false;
    qint64 lastHolder_ = 0; // the process a look last found holding the device, looked at first
    LineAssembler lines_;
    QStringList waiting_;
    bool delivering_ = false;
    ReadPause pause_;
};
