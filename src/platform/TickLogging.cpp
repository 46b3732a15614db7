#include "platform/TickLogging.h"

#include <QElapsedTimer>

Q_LOGGING_CATEGORY(lcTick, "gear.tick", QtWarningMsg)

void logTick() {
    if (!lcTick().isDebugEnabled())
        return;
    QElapsedTimer clock;
    clock.start();
    qCDebug(lcTick, "tick at %lld ms", clock.msecsSinceReference());
}
