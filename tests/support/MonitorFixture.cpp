#include "MonitorFixture.h"

#include "ui/WindowBuilder.h"

#include <QLabel>
#include <QTimer>

MonitorFixture::MonitorFixture() : window_(std::make_unique<Form1>(host)) {
    window_->timer()->stop();
    window_->show();
}

MonitorFixture::~MonitorFixture() = default;

void MonitorFixture::feed(const QString &line) {
    serial().deliver(line + QLatin1Char('\r'));
}

void MonitorFixture::ticks(int count) {
    for (int i = 0; i < count; ++i)
        window_->Timer1_Timer();
}

QColor MonitorFixture::rendered(ControlId id) {
    return window_->control(id)->grab().toImage().pixelColor(3, 3);
}

QString MonitorFixture::caption(ControlId id) {
    return window_->label(id)->text();
}

bool MonitorFixture::shown(ControlId id) {
    return !window_->control(id)->isHidden();
}

QColor rgb(unsigned vbColour) {
    return toQColor(vbColour);
}
