#pragma once

#include "FakeHost.h"
#include "FakeSerial.h"
#include "display/ControlId.h"
#include "ui/Form1.h"

#include <QColor>

#include <memory>

// Which serial port the window gets: the scripted FakeSerial, or the program's own QSerialPort
// component (whose comN links live in the host's temporary folder).
enum class PortKind { Scripted, Real };

// A monitor window on a fake host and a scripted serial port, its tick stopped so a test drives
// the tick and the receive event itself.
class MonitorFixture {
public:
    explicit MonitorFixture(PortKind port = PortKind::Scripted);
    ~MonitorFixture();

    Form1 &window() { return *window_; }
    MonitorState &state() { return window_->state(); }
    FakeHost host;
    FakeSerial &serial() { return *host.lastSerial; }

    // One controller line as the port delivers it, CR included.
    void feed(const QString &line);
    // The window's paint clock runs on the monotonic clock, this much ahead: a test moves it on
    // instead of sleeping.
    void advanceClock(qint64 milliseconds) { clockAhead_ += milliseconds; }
    // From now on the clock moves only when a test moves it.
    void stopClock();
    // The next paint at which the serial view may take new lines: the clock moved on by the
    // view's paint period, then the window painted.
    void nextViewRefresh();
    void ticks(int count);
    // The colour the indicator renders, sampled near its corner.
    QColor rendered(ControlId id);
    QString caption(ControlId id);
    bool shown(ControlId id);

    // The settings file in the settings folder, and its bytes (empty when there is none).
    QString settingsPath() const;
    QByteArray settingsBytes() const;
    // Names of the checked items of the five fixed setting groups, in menu order, then the
    // captions of the checked port items.
    QStringList checkedItems();

private:
    std::unique_ptr<Form1> window_;
    qint64 clockAhead_ = 0;
    bool clockStopped_ = false;
};

QColor rgb(unsigned vbColour);
