#include "ui/RepaintThrottle.h"

#include <QCoreApplication>
#include <QEvent>
#include <QWidget>

#include <algorithm>

RepaintThrottle::RepaintThrottle(QWidget *window) : QObject(window), window_(window) {
    due_.setSingleShot(true);
    due_.setTimerType(Qt::PreciseTimer);
    connect(&due_, &QTimer::timeout, this, &RepaintThrottle::paintNow);
    window_->installEventFilter(this);
}

void RepaintThrottle::requestRepaint() {
    if (!due_.isActive())
        due_.start(untilNextRefresh());
}

// A refresh is counted from the start of the last paint, as the display counts its own: a paint
// that waits for the display (a millisecond or two) does not push the next one back. A slow
// paint is still followed by half a refresh without painting, so that painting cannot take all
// of the processor.
int RepaintThrottle::untilNextRefresh() const {
    if (!sinceLastPaintStart_.isValid())
        return 0;
    const qint64 fromStart = kRefreshMilliseconds - sinceLastPaintStart_.elapsed();
    const qint64 fromEnd = kRefreshMilliseconds / 2 - sinceLastPaintEnd_.elapsed();
    return int(std::max<qint64>({0, fromStart, fromEnd}));
}

// Qt asks a window to repaint with one update request at a time and sends no other until that
// one has been handled, so holding it back gathers every change made meanwhile.
bool RepaintThrottle::eventFilter(QObject *watched, QEvent *event) {
    if (watched != window_ || event->type() != QEvent::UpdateRequest || painting_)
        return false;
    if (due_.isActive())
        return true;
    if (const int wait = untilNextRefresh(); wait > 0)
        due_.start(wait);
    else
        paintNow();
    return true;
}

// A request the work before the paint posted is answered by this paint: left queued, it would
// only wake the program a refresh later to find nothing to paint.
void RepaintThrottle::paintNow() {
    sinceLastPaintStart_.start();
    painting_ = true;
    if (beforePaint_)
        beforePaint_();
    due_.stop();
    QCoreApplication::removePostedEvents(window_, QEvent::UpdateRequest);
    QEvent request(QEvent::UpdateRequest);
    QCoreApplication::sendEvent(window_, &request);
    painting_ = false;
    sinceLastPaintEnd_.start();
    if (afterPaint_)
        afterPaint_();
}
