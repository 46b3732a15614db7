#pragma once

#include "display/Colours.h"
#include "link/MonitorState.h"

#include <QString>
#include <QStringList>

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

// The configuration relays' addresses, C0 first.
QStringList relayAddresses();
// Sets the relay `address` names in `relays`; false when it names no relay.
bool setRelay(ConfigFlags &relays, const QString &address, bool on);

// Every address the timeline prints: inputs, outputs, relays, V and C.
bool isKnownAddress(const QString &address);

// The colours the panel paints an address's box in when it is on and when it is off (a relay:
// its ON box); the display layer's table decides them. Black for both when the panel shows no
// box for it.
struct LegendColours {
    BgrColour on = Colour::Black;
    BgrColour off = Colour::Black;
};
LegendColours legendColours(const QString &address);
