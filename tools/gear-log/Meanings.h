#pragma once

#include "link/MonitorState.h"

#include <QString>

// The address of input bit `index` (X0-X7, X100-X107, X110, X111) and of output bit `index`.
QString inputAddress(int index);
QString outputAddress(int index);

// What an input, output or relay means while `relays` are in force and it is `on`, as the panel
// shows it: the tooltip of the indicator shown for it (C1 picks the pump's boxes, C73 the use of
// Y4 and X106), without its address and colour words; a relay's section caption. Empty when the
// panel names no such address.
QString meaningOf(const QString &address, const ConfigFlags &relays, bool on = true);

// A state in the legend's words: "switch closed"/"switch open" for an input, "output on"/
// "output off" for an output; a relay's "on"/"off" with the choice the panel names.
QString stateWord(const QString &address, bool on);

// Every address the timeline prints: inputs, outputs, relays, V and C.
bool isKnownAddress(const QString &address);
