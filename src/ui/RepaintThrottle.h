#pragma once

#include <QObject>
#include <QTimer>

#include <functional>

class QWidget;

// Paints a window at most once per screen refresh. Qt repaints a window in the first event-loop
// pass after any of its widgets changes, so lines arriving a few milliseconds apart each cost a
// whole paint and a transfer to the display, although no screen shows more than one picture per
// refresh. Here a repaint that comes sooner than one refresh after the last waits for that
// refresh, and everything changed meanwhile is painted together then: a change is on the screen
// within one refresh (and the time a paint takes).
class RepaintThrottle : public QObject {
public:
    // Milliseconds on a monotonic clock.
    using Clock = std::function<qint64()>;

    static constexpr int kRefreshMilliseconds = 16; // a 60 Hz display
    // How long a serial port's reading pauses after a read: a refresh, and a millisecond more so
    // that the paint that follows the next read is due by then (the last one started just after
    // the last read) and needs no wake-up of its own.
    static constexpr int kReadPauseMilliseconds = kRefreshMilliseconds + 1;

    explicit RepaintThrottle(QWidget *window);

    // The clock refreshes are counted on; tests move it on themselves.
    void setClock(Clock clock) { clock_ = std::move(clock); }
    qint64 now() const { return clock_(); }

    // Work that brings widgets up to date just before each paint, so that changes no one can see
    // between two refreshes cost nothing: the serial view copies its lines into its labels here.
    void setBeforePaint(std::function<void()> work) { beforePaint_ = std::move(work); }
    // Told after each paint this throttle makes.
    void setAfterPaint(std::function<void()> told) { afterPaint_ = std::move(told); }
    // Asks for a paint at the next refresh, and not sooner than `delay` milliseconds from now,
    // for a change that has not touched a widget yet (it will, in the work before the paint). A
    // paint already due sooner stays due then.
    void requestRepaint(qint64 delay = 0);
    // True while a repaint waits for the next refresh; dueAt() is then when, on the clock.
    bool repaintDue() const { return due_.isActive(); }
    qint64 dueAt() const { return dueAt_; }
    // Does the work before the paint and paints now whatever is due, including what that work
    // changed or asked a repaint for.
    void paintNow();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    qint64 untilNextRefresh() const;
    void paintWithin(qint64 wait);

    QWidget *window_;
    Clock clock_;
    bool paintedBefore_ = false;
    qint64 lastPaintStart_ = 0;
    qint64 lastPaintEnd_ = 0;
    qint64 dueAt_ = 0;
    QTimer due_;
    std::function<void()> beforePaint_;
    std::function<void()> afterPaint_;
    bool painting_ = false;
};
