#include "StopSignals.h"

#include <atomic>

namespace gearsim {

namespace {

std::atomic<bool> stopFlag{false};
static_assert(std::atomic<bool>::is_always_lock_free, "the flag is set from a signal handler");

sigset_t unblockedMask;
bool installed = false;

void onStopSignal(int) {
    stopFlag.store(true);
}

} // namespace

void installStopSignals() {
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    for (int signal : {SIGINT, SIGTERM, SIGHUP})
        sigaddset(&stopSignals, signal);
    sigprocmask(SIG_BLOCK, &stopSignals, &unblockedMask);
    for (int signal : {SIGINT, SIGTERM, SIGHUP})
        sigdelset(&unblockedMask, signal);

    struct sigaction action {};
    action.sa_handler = onStopSignal;
    sigemptyset(&action.sa_mask);
    for (int signal : {SIGINT, SIGTERM, SIGHUP})
        sigaction(signal, &action, nullptr);
    installed = true;
}

bool stopRequested() {
    return stopFlag.load();
}

const sigset_t *waitSignalMask() {
    return installed ? &unblockedMask : nullptr;
}

} // namespace gearsim
