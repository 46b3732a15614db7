#pragma once

#include "FakeHost.h"
#include "FakeSerial.h"
#include "ui/ControlId.h"
#include "ui/Form1.h"

#include <QColor>

#include <memory>

// A monitor window on a fake host and a scripted serial port, its tick stopped so a test drives
// the tick and the receive event itself.
class MonitorFixture {
public:
    MonitorFixture();
    ~MonitorFixture();

    Form1 &window() { return *window_; }
    MonitorState &state() { return window_->state(); }
    FakeHost host;
    FakeSerial &serial() { return *host.lastSerial; }

    // One controller line as the port delivers it, CR included.
    void feed(const QString &line);
    void ticks(int count);
    // The colour the indicator renders, sampled near its corner.
    QColor rendered(ControlId id);
    QString caption(ControlId id);
    bool shown(ControlId id);

private:
    std::unique_ptr<Form1> window_;
};

QColor rgb(unsigned vbColour);
