#include "platform/ReadPause.h"

#include "platform/Logging.h"

#include <QSerialPort>
#include <QSocketNotifier>

ReadPause::ReadPause(QSerialPort &port, std::function<void()> ended)
    : port_(port), ended_(std::move(ended)) {
    timer_.setSingleShot(true);
    timer_.setTimerType(Qt::PreciseTimer);
    QObject::connect(&timer_, &QTimer::timeout, &timer_, [this] { end(); });
}

void RecentBytes::add(qint64 read, qint64 nanosecondsSinceLastRead, int pauseMilliseconds) {
    const qint64 pause = qint64(pauseMilliseconds) * 1'000'000;
    if (nanosecondsSinceLastRead < 0 || nanosecondsSinceLastRead >= pause)
        bytes = 0;
    else
        bytes -= bytes * nanosecondsSinceLastRead / pause;
    bytes += read;
}

void ReadPause::begin(qint64 bytes) {
    const qint64 sinceLastRead = sinceLastRead_.isValid() ? sinceLastRead_.nsecsElapsed() : -1;
    sinceLastRead_.start();
    recent_.add(bytes, sinceLastRead, milliseconds_);
    if (milliseconds_ <= 0 || !port_.isOpen() || recent_.bytes > kMostBytesPerPause) {
        timer_.stop(); // the read just made has the port listening again
        return;
    }
    QSocketNotifier *notifier = readNotifier();
    if (!notifier) {
        if (!missingNotifierLogged_)
            qCInfo(gearLink) << "reading is not paced: the port has no read notifier to hold";
        missingNotifierLogged_ = true;
        return;
    }
    notifier->setEnabled(false);
    timer_.start(milliseconds_);
}

void ReadPause::end() {
    if (!port_.isOpen())
        return;
    if (QSocketNotifier *notifier = readNotifier())
        notifier->setEnabled(true);
    ended_();
}

QSocketNotifier *ReadPause::readNotifier() const {
#ifdef Q_OS_WIN
    return nullptr; // reads there go through overlapped input, not a socket notifier
#else
    const auto children = port_.findChildren<QSocketNotifier *>(Qt::FindDirectChildrenOnly);
    for (QSocketNotifier *notifier : children) {
        if (notifier->type() == QSocketNotifier::Read && notifier->socket() == port_.handle())
            return notifier;
    }
    return nullptr;
#endif
}
