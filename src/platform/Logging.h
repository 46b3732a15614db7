#pragma once

#include <QLoggingCategory>

// The monitor's diagnostics, silent unless switched on, e.g. QT_LOGGING_RULES="gear.*=true"; only
// a recording that stops is said unasked. The tick has a rule of its own, "gear-tick=true".
Q_DECLARE_LOGGING_CATEGORY(gearLink)     // the serial port: opened, closed, failed, lines cut
Q_DECLARE_LOGGING_CATEGORY(gearSettings) // the settings file: read and written, with the path
Q_DECLARE_LOGGING_CATEGORY(gearUi)       // the window: lines held while a message box is up
Q_DECLARE_LOGGING_CATEGORY(gearRecord)   // a session recording: why it stopped
Q_DECLARE_LOGGING_CATEGORY(gearMirror)   // the panel mirror: its addresses, clients and refusals
Q_DECLARE_LOGGING_CATEGORY(gearTick)     // each tick of the window's timer, with its time

// Logs "tick at <ms> ms" on gear-tick, milliseconds on the monotonic clock, so the lateness of
// the tick can be measured from outside.
void logTick();
