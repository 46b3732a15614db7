#pragma once

#include <signal.h>

namespace gearsim {

// SIGINT, SIGTERM and SIGHUP ask the simulator to stop. They stay blocked except inside the
// waits that pass waitSignalMask() to ppoll, so a signal cannot slip in between checking
// stopRequested() and starting to wait, and the wait ends at once when one arrives.
void installStopSignals();
bool stopRequested();

// The mask to wait with; null when the signals were never installed (tests), which keeps the
// caller's mask.
const sigset_t *waitSignalMask();

} // namespace gearsim
