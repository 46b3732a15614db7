#include "platform/Logging.h"

#include <QElapsedTimer>

// Silent by default, warnings included: a failure the user must know of gets a message box, and
// the rest is for whoever switches a category on. Only a recording that stops is said on the
// terminal unasked, since nothing in the window shows it.
Q_LOGGING_CATEGORY(gearLink, "gear.link", QtCriticalMsg)
Q_LOGGING_CATEGORY(gearSettings, "gear.settings", QtCriticalMsg)
Q_LOGGING_CATEGORY(gearUi, "gear.ui", QtCriticalMsg)
Q_LOGGING_CATEGORY(gearRecord, "gear.record", QtWarningMsg)
// The mirror's address is printed on standard output anyway; what strangers' connections
// do is said only when asked, so that they cannot fill the terminal or the journal.
Q_LOGGING_CATEGORY(gearMirror, "gear.mirror", QtWarningMsg)
// Outside "gear.*": switching the diagnostics on must not bring two lines a second with them.
Q_LOGGING_CATEGORY(gearTick, "gear-tick", QtCriticalMsg)

void logTick() {
    if (!gearTick().isDebugEnabled())
        return;
    QElapsedTimer clock;
    clock.start();
    qCDebug(gearTick, "tick at %lld ms", clock.msecsSinceReference());
}
