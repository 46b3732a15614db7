#include "ui/RepaintThrottle.h"

#include <QCoreApplication>
#include <QEvent>
#include <QWidget>

RepaintThrottle::RepaintThrottle(QWidget *window) : QObject(window), window_(window) {
    due_.setSingleShot(true);
    due_.setTimerType(Qt::PreciseTimer);
    connect(&due_, &QTimer::timeout, this, &RepaintThrottle::paintNow);
    window_->installEventFilter(this);
}

// Qt asks a window to repaint with one update request at a time and sends no other until that
// one has been handled, so holding it back gathers every change made meanwhile. The refresh is
// counted from the end of the last paint, so a slow paint cannot follow another straight away.
bool RepaintThrottle::eventFilter(QObject *watched, QEvent *event) {
    if (watched != window_ || event->type() != QEvent::UpdateRequest || painting_)
        return false;
    if (due_.isActive())
        return true;
    const qint64 since =
        sinceLastPaint_.isValid() ? sinceLastPaint_.elapsed() : kRefreshMilliseconds;
    if (since >= kRefreshMilliseconds)
        paintNow();
    else
        due_.start(int(kRefreshMilliseconds - since));
    return true;
}

void RepaintThrottle::paintNow() {
    painting_ = true;
    QEvent request(QEvent::UpdateRequest);
    QCoreApplication::sendEvent(window_, &request);
    painting_ = false;
    sinceLastPaint_.start();
}
