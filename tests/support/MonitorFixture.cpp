#include "MonitorFixture.h"

#include "settings/SettingsFile.h"
#include "ui/MenuTable.h"
#include "ui/PaintBudget.h"
#include "ui/RepaintThrottle.h"
#include "ui/WindowBuilder.h"

#include <QAction>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QTimer>

MonitorFixture::MonitorFixture(PortKind port) {
    host.realSerial = port == PortKind::Real;
    window_ = std::make_unique<Form1>(host);
    window_->timer()->stop();
    window_->repaintThrottle()->setClock([this] {
        if (clockStopped_)
            return clockAhead_;
        QElapsedTimer clock;
        clock.start();
        return clock.msecsSinceReference() + clockAhead_;
    });
    window_->show();
}

MonitorFixture::~MonitorFixture() = default;

void MonitorFixture::feed(const QString &line) {
    serial().deliver(line + QLatin1Char('\r'));
}

void MonitorFixture::stopClock() {
    clockAhead_ = window_->repaintThrottle()->now();
    clockStopped_ = true;
}

void MonitorFixture::nextViewRefresh() {
    advanceClock(kSerialViewMilliseconds);
    window_->repaintThrottle()->paintNow();
}

void MonitorFixture::ticks(int count) {
    for (int i = 0; i < count; ++i)
        window_->Timer1_Timer();
}

QColor MonitorFixture::rendered(ControlId id) {
    return window_->control(id)->grab().toImage().pixelColor(3, 3);
}

// The serial view's labels follow its lines within a screen refresh; a test reads them as they
// stand once that refresh has come.
QString MonitorFixture::caption(ControlId id) {
    if (isSerialLine(id))
        window_->refreshSerialView();
    return window_->label(id)->text();
}

bool MonitorFixture::shown(ControlId id) {
    return !window_->control(id)->isHidden();
}

QString MonitorFixture::settingsPath() const {
    return settingsFilePath(host.settingsFolder());
}

QByteArray MonitorFixture::settingsBytes() const {
    QFile file(settingsPath());
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QStringList MonitorFixture::checkedItems() {
    QStringList names;
    for (const MenuDef &d : menuTable())
        if (d.kind == MenuKind::Choice && window_->menuItem(d.id)->isChecked())
            names << QString::fromLatin1(d.name);
    for (const QAction *item : window_->portItems())
        if (item->isChecked())
            names << item->text();
    return names;
}

QColor rgb(unsigned vbColour) {
    return toQColor(BgrColour(vbColour));
}
