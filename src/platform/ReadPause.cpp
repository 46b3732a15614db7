#include "platform/ReadPause.h"

#include "platform/Logging.h"

#include <QSerialPort>
#include <QSocketNotifier>

ReadPause::ReadPause(QSerialPort &port, std::function<void()> ended)
    : port_(port), ended_(std::move(ended)) {
    timer_.setSingleShot(true);
    timer_.setTimerType(Qt::PreciseTimer);
    QObject::connect(&timer_, &QTimer::timeout, [this] { end(); });
}

void ReadPause::begin() {
    if (milliseconds_ <= 0 || !port_.isOpen())
        return;
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
