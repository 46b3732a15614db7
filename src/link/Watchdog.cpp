#include "link/Watchdog.h"

#include "link/MonitorState.h"

WatchdogStep watchdogTick(int16_t count) {
    // The count is never above 10 before the tick, so the increment cannot overflow.
    const int16_t raised = int16_t(count + 1);
    if (raised > kLinkFailedCount)
        return {LinkBand::Failed, kLinkFailedCount};
    if (raised > kLiveCeiling)
        return {LinkBand::Stale, raised};
    return {LinkBand::Live, raised < 0 ? int16_t(0) : raised};
}
