#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

class QWidget;

// Paints a window at most once per screen refresh. Qt repaints a window in the first event-loop
// pass after any of its widgets changes, so lines arriving a few milliseconds apart each cost a
// whole paint and a transfer to the display, although no screen shows more than one picture per
// refresh. Here a repaint that comes sooner than one refresh after the last waits for that
// refresh, and everything changed meanwhile is painted together then: a change is on the screen
// within one refresh (and the time a paint takes).
class RepaintThrottle : public QObject {
public:
    static constexpr int kRefreshMilliseconds = 16; // a 60 Hz display

    explicit RepaintThrottle(QWidget *window);

    // True while a repaint waits for the next refresh.
    bool repaintDue() const { return due_.isActive(); }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void paintNow();

    QWidget *window_;
    QElapsedTimer sinceLastPaint_;
    QTimer due_;
    bool painting_ = false;
};
