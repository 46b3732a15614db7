#include "platform/QtSerialComponent.h"

#include "platform/Logging.h"

#include "platform/PortRefusal.h"
#include "platform/TerminalUsers.h"

#include <QDir>
#include <QFileInfo>
#include <QPointer>
#include <QSerialPortInfo>

#include <algorithm>
#include <cmath>
#include <limits>

#ifdef Q_OS_WIN
namespace {
bool isTerminal(Qt::HANDLE) {
    return true;
}
bool deviceReadable(Qt::HANDLE) {
    return true;
}
} // namespace
#else
#include <poll.h>
#include <unistd.h>
namespace {
bool isTerminal(int fd) {
    return ::isatty(fd) == 1;
}
// Readable, or hung up: either way a read has something to say.
bool deviceReadable(int fd) {
    pollfd device{fd, POLLIN, 0};
    return ::poll(&device, 1, 0) > 0;
}
} // namespace
#endif

QtSerialComponent::QtSerialComponent(const QString &programFolder, QObject *parent)
    : SerialComponent(parent), programFolder_(programFolder),
      pause_(port_, [this] { readWaiting(); }) {
    connect(&port_, &QSerialPort::readyRead, this, &QtSerialComponent::readArrived);
    connect(&port_, &QSerialPort::errorOccurred, this, &QtSerialComponent::portFailed);
}

QtSerialComponent::~QtSerialComponent() = default;

#ifdef Q_OS_WIN
// Port N is the system's COMN.
QList<NumberedPort> QtSerialComponent::currentPorts() const {
    QList<NumberedPort> ports;
    for (const QSerialPortInfo &info : QSerialPortInfo::availablePorts()) {
        if (const std::optional<int> n = linkPortNumber(info.portName().toLower()))
            ports << NumberedPort{*n, info.portName(), info.portName()};
    }
    std::sort(ports.begin(), ports.end(),
              [](const NumberedPort &a, const NumberedPort &b) { return a.number < b.number; });
    return ports;
}
#else
// Looked up afresh each time: links may have been made, and adapters plugged, since last time.
QList<NumberedPort> QtSerialComponent::currentPorts() const {
    return numberPorts(findPortLinks(programFolder_), systemPortDevices());
}
#endif

QList<int> QtSerialComponent::listPorts() {
    QList<int> numbers;
    for (const NumberedPort &port : currentPorts()) {
        if (!port.device.isEmpty())
            numbers << port.number;
    }
    return numbers;
}

QString QtSerialComponent::portDevice(int portNumber) const {
    for (const NumberedPort &port : currentPorts()) {
        if (port.number == portNumber)
            return port.shownPath;
    }
    return {};
}

SerialResult QtSerialComponent::setOpen(bool open) {
    if (open == port_.isOpen())
        return SerialResult::success();
    if (!open) {
        closePort();
        return SerialResult::success();
    }
    return openPort();
}

SerialResult QtSerialComponent::deviceForPort(QString &device) const {
    const QList<NumberedPort> ports = currentPorts();
    const auto found = std::find_if(ports.begin(), ports.end(), [this](const NumberedPort &p) {
        return p.number == portNumber_;
    });
    if (found == ports.end()) {
        return SerialResult::failure(
            QStringLiteral("There is no port Com%1: no serial device has that number and %2 "
                           "holds no com%1 link")
                .arg(portNumber_)
                .arg(QDir::toNativeSeparators(programFolder_)));
    }
    if (found->device.isEmpty())
        return notASerialDevice(found->shownPath);
    device = found->device;
    return SerialResult::success();
}

bool QtSerialComponent::lastDevicePresent() const {
    if (!lastLink_.isEmpty())
        return !QFileInfo(lastLink_).canonicalFilePath().isEmpty(); // empty when dangling
    return lastDevice_.isEmpty() || QFileInfo::exists(lastDevice_);
}

SerialResult QtSerialComponent::notASerialDevice(const QString &shownPath) const {
    return SerialResult::failure(QStringLiteral("Port Com%1 leads to %2, which is not a serial "
                                                "device now (is the adapter plugged in?)")
                                     .arg(portNumber_)
                                     .arg(shownPath));
}

SerialResult QtSerialComponent::openPort() {
    QString device;
    if (const SerialResult r = deviceForPort(device); !r.ok)
        return r;
    lines_.reset();
    waiting_.clear();
    const QString link = programFolder_ + QStringLiteral("/com%1").arg(portNumber_);
    lastLink_ = QFileInfo(link).isSymLink() ? link : QString();
    lastDevice_ = device;
    // QSerialPort sets the device up as it opens it: whose terminal it is must be known before.
    const TerminalLook look(device);
    if (const SerialResult r = lookBeforeOpening(look, device); !r.ok)
        return r;
    port_.setPortName(device);
    if (!port_.open(QIODevice::ReadOnly)) {
        qCInfo(gearLink) << "could not open" << device << "as Com" << portNumber_ << ":"
                         << port_.errorString();
        return refusal(device);
    }
    // The device may have changed since the port list was made, or the system may not have said
    // which devices are terminals: only a terminal stays open.
    if (!isTerminal(port_.handle())) {
        port_.close();
        return notASerialDevice(device);
    }
    if (const SerialResult r = lookAfterOpening(look, device); !r.ok) {
        port_.close(); // gives the terminal back the settings it had
        return r;
    }
    qCInfo(gearLink) << "opened" << device << "as Com" << portNumber_ << "at" << port_.baudRate()
                     << "baud";
    // A port without modem lines (a pseudo-terminal) has no DTR to raise; it still receives.
    if (holdDtr_)
        port_.setDataTerminalReady(true);
    return SerialResult::success();
}

// The look's descriptor changes nothing on the device. A device the look cannot open is left to
// the port, whose own open then fails and says why (permissions, a lock, gone).
SerialResult QtSerialComponent::lookBeforeOpening(const TerminalLook &look, const QString &device) {
    if (!look.isOpen())
        return SerialResult::success();
    if (!look.isTerminal())
        return notASerialDevice(device);
    const TerminalUse use = look.use(refuseHeld_, lastHolder_);
    lastHolder_ = use.kind == TerminalUse::Kind::HeldOpen ? use.process : 0;
    return refusedUse(device, use);
}

// In the moment between the look and the open, a session could have made the terminal its own,
// or the comN link could have been pointed elsewhere. The look, held meanwhile, kept a
// pseudo-terminal's number from passing to a new terminal.
SerialResult QtSerialComponent::lookAfterOpening(const TerminalLook &look,
                                                 const QString &device) const {
#ifdef Q_OS_WIN
    Q_UNUSED(look);
    Q_UNUSED(device);
    return SerialResult::success();
#else
    if (!look.sameDevice(port_.handle()))
        return SerialResult::failure(
            QStringLiteral("Port Com%1 led to another device while it was being opened: %2")
                .arg(portNumber_)
                .arg(device));
    return refusedUse(device, terminalUse(port_.handle(), false));
#endif
}

SerialResult QtSerialComponent::refusedUse(const QString &device, const TerminalUse &use) const {
    if (use.kind == TerminalUse::Kind::Free)
        return SerialResult::success();
    return SerialResult::failure(terminalUseReason(portNumber_, device, use));
}

// A line half received before the port closed belongs to no line received after it reopens.
void QtSerialComponent::closePort() {
    if (port_.isOpen())
        qCInfo(gearLink) << "closed" << port_.portName();
    pause_.cancel();
    port_.close();
    lines_.reset();
    waiting_.clear();
}

// A device that exists but may not be opened gets its reason and, where the cause is known, how to
// get past it (join the device's group, close the program that holds it).
SerialResult QtSerialComponent::refusal(const QString &device) const {
    const QString reason = port_.errorString();
    if (port_.error() != QSerialPort::PermissionError)
        return SerialResult::failure(reason);
    return SerialResult::failure(reason + portRefusalAdvice(examinePortRefusal(device, reason)));
}

SerialResult QtSerialComponent::portResult(bool ok) const {
    return ok ? SerialResult::success() : SerialResult::failure(port_.errorString());
}

SerialResult QtSerialComponent::setPortNumber(double portNumber) {
    if (!std::isfinite(portNumber) || portNumber != std::trunc(portNumber) ||
        std::abs(portNumber) > std::numeric_limits<int>::max()) {
        return SerialResult::failure(
            QStringLiteral("Port number %1 is not a whole number").arg(portNumber));
    }
    portNumber_ = static_cast<int>(portNumber);
    return SerialResult::success();
}

SerialResult QtSerialComponent::setSpeed(double bitsPerSecond) {
    // Speeds that do not fit Qt's rate are handed over as 0, which the port refuses when it opens
    // ("Invalid baud rate value"), just as it refuses 0 and negative speeds.
    qint32 rate = 0;
    if (std::isfinite(bitsPerSecond) &&
        std::abs(bitsPerSecond) < std::numeric_limits<qint32>::max())
        rate = static_cast<qint32>(std::lround(bitsPerSecond));
    return portResult(port_.setBaudRate(rate));
}

SerialResult QtSerialComponent::setParity(int16_t code) {
    static const QSerialPort::Parity parities[] = {QSerialPort::NoParity, QSerialPort::OddParity,
                                                   QSerialPort::EvenParity, QSerialPort::MarkParity,
                                                   QSerialPort::SpaceParity};
    if (code < 0 || code >= int16_t(std::size(parities)))
        return SerialResult::failure(QStringLiteral("Unknown parity code %1").arg(code));
    return portResult(port_.setParity(parities[code]));
}

SerialResult QtSerialComponent::setStopBits(int16_t code) {
    static const QSerialPort::StopBits stops[] = {QSerialPort::OneStop, QSerialPort::OneAndHalfStop,
                                                  QSerialPort::TwoStop};
    if (code < 0 || code >= int16_t(std::size(stops)))
        return SerialResult::failure(QStringLiteral("Unknown stop-bits code %1").arg(code));
    return portResult(port_.setStopBits(stops[code]));
}

SerialResult QtSerialComponent::setDataBits(int16_t bits) {
    if (bits != 7 && bits != 8)
        return SerialResult::failure(
            QStringLiteral("Unsupported number of data bits: %1").arg(bits));
    return portResult(port_.setDataBits(bits == 7 ? QSerialPort::Data7 : QSerialPort::Data8));
}

// DSR/DTR handshaking asks the receiver to show it is ready by asserting DTR and the sender to
// wait for it. The monitor only receives and is always ready, so for it DSR/DTR means: no flow
// control of our own, DTR held asserted while the port is open. QSerialPort has no such mode.
SerialResult QtSerialComponent::setFlowControl(int16_t code) {
    QSerialPort::FlowControl flow = QSerialPort::NoFlowControl;
    switch (code) {
    case 0:
    case 2:
        break;
    case 1:
        flow = QSerialPort::HardwareControl;
        break;
    case 4:
        flow = QSerialPort::SoftwareControl;
        break;
    default:
        return SerialResult::failure(QStringLiteral("Unknown flow-control code %1").arg(code));
    }
    if (!port_.setFlowControl(flow))
        return portResult(false);
    holdDtr_ = code == 2;
    if (holdDtr_ && port_.isOpen())
        port_.setDataTerminalReady(true);
    return SerialResult::success();
}

SerialResult QtSerialComponent::setLineTerminator(const QString &terminator) {
    if (terminator.size() != 1 || terminator.front().unicode() > 0xFF)
        return SerialResult::failure(QStringLiteral("The line terminator must be one character"));
    lines_.setTerminator(char(terminator.front().toLatin1()));
    return SerialResult::success();
}

// QSerialPort does not announce bytes that arrive while its readyRead is being handled (a
// receiver may let events run), so read on until nothing is left; then pause.
void QtSerialComponent::readArrived() {
    const QPointer<QtSerialComponent> alive(this);
    const qint64 bytes = readBuffered();
    if (alive)
        pause_.begin(bytes);
}

// Has QSerialPort read the device now, if it holds anything (or has hung up), rather than when
// its notifier would: that brings the bytes, or the failure, through readArrived or portFailed.
// The look first keeps a device with nothing to read from being reported as a timeout error.
void QtSerialComponent::readWaiting() {
    if (port_.isOpen() && deviceReadable(port_.handle()))
        port_.waitForReadyRead(0);
}

// The bytes read; after a receiver destroyed this component, whatever was read until then.
qint64 QtSerialComponent::readBuffered() {
    qint64 bytes = 0;
    while (port_.isOpen() && port_.bytesAvailable() > 0) {
        const qsizetype cutBefore = lines_.cutRuns();
        const QByteArray received = port_.readAll();
        bytes += received.size();
        waiting_ << lines_.feed(received);
        if (lines_.cutRuns() != cutBefore)
            qCInfo(gearLink) << "a run of over" << LineAssembler::kMaxRun
                             << "bytes without a line end was handed out in pieces";
        if (!deliverLines())
            return bytes;
    }
    return bytes;
}

// Lines go out one per emission, in order. Should a receiver let waiting events run, lines that
// arrive meanwhile join the queue and follow once it returns, never inside its handling.
// False when a receiver destroyed this component.
bool QtSerialComponent::deliverLines() {
    if (delivering_)
        return true;
    delivering_ = true;
    const QPointer<QtSerialComponent> alive(this);
    while (!waiting_.isEmpty()) {
        emit OnRead(QVariant(waiting_.takeFirst()));
        if (!alive)
            return false;
    }
    delivering_ = false;
    return true;
}

// A hang-up makes QSerialPort report ReadError again and again, keeping a core busy, until the
// port closes; an unplugged adapter reports ResourceError. Either way the device is gone: close
// now, and tell the receivers from the event loop rather than from inside QSerialPort's own call.
void QtSerialComponent::portFailed(QSerialPort::SerialPortError error) {
    if (error != QSerialPort::ReadError && error != QSerialPort::ResourceError)
        return;
    if (!port_.isOpen())
        return;
    const QString description = port_.errorString();
    qCWarning(gearLink) << "lost" << port_.portName() << ":" << description;
    closePort();
    QMetaObject::invokeMethod(
        this, [this, description] { emit linkLost(description); }, Qt::QueuedConnection);
}
