#include "platform/Logging.h"

#include <QElapsedTimer>

// Only warnings pass by default; the rest is for whoever switches a category on.
Q_LOGGING_CATEGORY(gearLink, "gear.link", QtWarningMsg)
Q_LOGGING_CATEGORY(gearSettings, "gear.settings", QtWarningMsg)
Q_LOGGING_CATEGORY(gearUi, "gear.ui", QtWarningMsg)
Q_LOGGING_CATEGORY(gearRecord, "gear.record", QtWarningMsg)
Q_LOGGING_CATEGORY(gearTick, "gear.tick", QtWarningMsg)

void logTick() {
    if (!gearTick().isDebugEnabled())
        return;
    QElapsedTimer clock;
    clock.start();
    qCDebug(gearTick, "tick at %lld ms", clock.msecsSinceReference());
}
