#pragma once

#include <QLoggingCategory>

// Each tick of the window's timer with its time on the monotonic clock, so lateness can be
// measured from outside. Off by default; QT_LOGGING_RULES="gear.tick=true" turns it on.
Q_DECLARE_LOGGING_CATEGORY(lcTick)

// Logs "tick at <ms> ms", milliseconds on the monotonic clock, when the category is on.
void logTick();
