#include "FakeSerial.h"

QList<int> FakeSerial::listPorts() {
    calls << QStringLiteral("listPorts");
    return ports;
}

QString FakeSerial::portDevice(int portNumber) const {
    return QStringLiteral("/dev/fake%1").arg(portNumber);
}

void FakeSerial::readWaiting() {
    while (!unread.isEmpty())
        deliver(unread.takeFirst());
}

SerialResult FakeSerial::record(const QString &call) {
    calls << call;
    if (!failOn.isEmpty() && call.startsWith(failOn))
        return SerialResult::failure(failText);
    return SerialResult::success();
}

SerialResult FakeSerial::setOpen(bool on) {
    const SerialResult r = record(QStringLiteral("open %1").arg(on));
    if (r.ok)
        open = on;
    return r;
}

SerialResult FakeSerial::setPortNumber(double n) {
    return record(QStringLiteral("port %1").arg(n));
}
SerialResult FakeSerial::setSpeed(double bps) {
    return record(QStringLiteral("speed %1").arg(bps));
}
SerialResult FakeSerial::setParity(int16_t c) {
    return record(QStringLiteral("parity %1").arg(c));
}
SerialResult FakeSerial::setStopBits(int16_t c) {
    return record(QStringLiteral("stop %1").arg(c));
}
SerialResult FakeSerial::setDataBits(int16_t b) {
    return record(QStringLiteral("data %1").arg(b));
}
SerialResult FakeSerial::setFlowControl(int16_t c) {
    return record(QStringLiteral("flow %1").arg(c));
}

SerialResult FakeSerial::setLineTerminator(const QString &t) {
    return record(QStringLiteral("terminator %1").arg(t == QLatin1String("\r") ? "CR" : "other"));
}

SerialResult FakeSerial::setIntegerOption(int16_t v) {
    return record(QStringLiteral("option %1").arg(v));
}
SerialResult FakeSerial::setFirstSwitch(bool on) {
    return record(QStringLiteral("switch1 %1").arg(on));
}
SerialResult FakeSerial::setSecondSwitch(bool on) {
    return record(QStringLiteral("switch2 %1").arg(on));
}
