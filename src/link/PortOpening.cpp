#include "link/PortOpening.h"

#include <functional>
#include <initializer_list>

namespace {

// Runs the steps in order and stops at the first that fails.
SerialResult runInOrder(std::initializer_list<std::function<SerialResult()>> steps) {
    for (const auto &step : steps) {
        const SerialResult result = step();
        if (!result.ok)
            return result;
    }
    return SerialResult::success();
}

} // namespace

SerialResult closeIfOpen(SerialComponent &port) {
    return port.isOpen() ? port.setOpen(false) : SerialResult::success();
}

SerialResult openPort(SerialComponent &port, const PortParameters &p, OpenFor purpose) {
    port.setRefuseHeldDevices(purpose == OpenFor::DeviceReturned);
    return runInOrder({
        [&] { return closeIfOpen(port); },
        [&] { return port.setParity(p.parity); },
        [&] { return port.setStopBits(p.stopBits); },
        [&] { return port.setFlowControl(p.flowControl); },
        [&] { return port.setDataBits(p.dataBits); },
        [&] { return port.setFirstSwitch(false); },
        [&] { return port.setSecondSwitch(false); },
        [&] { return port.setSpeed(p.speed); },
        [&] { return port.setPortNumber(p.portNumber); },
        [&] { return port.setLineTerminator(QStringLiteral("\r")); },
        [&] { return port.setIntegerOption(5000); },
        [&] { return port.setOpen(true); },
    });
}
