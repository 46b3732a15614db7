#pragma once

#include <QtGlobal>

#include <algorithm>

// How often a part of the window may be repainted: at most once per period, on a clock of
// milliseconds. What changes sooner waits, and is shown together when the period is over.
class PaintBudget {
public:
    explicit constexpr PaintBudget(qint64 periodMilliseconds) : period_(periodMilliseconds) {}

    // Milliseconds from `now` until the part may be repainted; 0: it may be now.
    qint64 wait(qint64 now) const {
        return spent_ ? std::max<qint64>(0, lastPaint_ + period_ - now) : 0;
    }
    // The part is repainted at `now`.
    void spend(qint64 now) {
        lastPaint_ = now;
        spent_ = true;
    }

private:
    qint64 period_;
    qint64 lastPaint_ = 0;
    bool spent_ = false;
};

// The serial view is repainted at most 30 times a second, whatever the line rate: no one reads
// twenty lines of text faster, and its paint is most of what a received line costs the window.
// 34 ms apart, no second holds more than 30 of its paints.
inline constexpr qint64 kSerialViewMilliseconds = 34;
