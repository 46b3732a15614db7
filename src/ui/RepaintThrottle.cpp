#include "ui/RepaintThrottle.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QWidget>

#include <algorithm>

namespace {

qint64 monotonicMilliseconds() {
    QElapsedTimer clock;
    clock.start();
    return clock.msecsSinceReference();
}

} // namespace

RepaintThrottle::RepaintThrottle(QWidget *window)
    : QObject(window), window_(window), clock_(monotonicMilliseconds) {
    due_.setSingleShot(true);
    due_.setTimerType(Qt::PreciseTimer);
    connect(&due_, &QTimer::timeout, this, &RepaintThrottle::paintNow);
    window_->installEventFilter(this);
}

void RepaintThrottle::requestRepaint(qint64 delay) {
    paintWithin(std::max(untilNextRefresh(), delay));
}

// A paint due later than `wait` from now is brought forward; one due sooner stays.
void RepaintThrottle::paintWithin(qint64 wait) {
    const qint64 at = clock_() + wait;
    if (due_.isActive() && dueAt_ <= at)
        return;
    dueAt_ = at;
    due_.start(int(wait));
}

// A refresh is counted from the start of the last paint, as the display counts its own: a paint
// that waits for the display (a millisecond or two) does not push the next one back. A slow
// paint is still followed by half a refresh without painting, so that painting cannot take all
// of the processor.
qint64 RepaintThrottle::untilNextRefresh() const {
    if (!paintedBefore_)
        return 0;
    const qint64 now = clock_();
    const qint64 fromStart = lastPaintStart_ + kRefreshMilliseconds - now;
    const qint64 fromEnd = lastPaintEnd_ + kRefreshMilliseconds / 2 - now;
    return std::max<qint64>({0, fromStart, fromEnd});
}

// Qt asks a window to repaint with one update request at a time and sends no other until that
// one has been handled, so holding it back gathers every change made meanwhile. A paint due
// later (lines the serial view takes at its own pace) is brought forward to the next refresh.
bool RepaintThrottle::eventFilter(QObject *watched, QEvent *event) {
    if (watched != window_ || event->type() != QEvent::UpdateRequest || painting_)
        return false;
    if (const qint64 wait = untilNextRefresh(); wait > 0 || due_.isActive())
        paintWithin(wait);
    else
        paintNow();
    return true;
}

// A request the work before the paint posted is answered by this paint: left queued, it would
// only wake the program a refresh later to find nothing to paint.
void RepaintThrottle::paintNow() {
    lastPaintStart_ = clock_();
    paintedBefore_ = true;
    painting_ = true;
    if (beforePaint_)
        beforePaint_();
    due_.stop();
    QCoreApplication::removePostedEvents(window_, QEvent::UpdateRequest);
    QEvent request(QEvent::UpdateRequest);
    QCoreApplication::sendEvent(window_, &request);
    painting_ = false;
    lastPaintEnd_ = clock_();
    if (afterPaint_)
        afterPaint_();
}
