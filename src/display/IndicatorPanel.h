#pragma once

#include "display/PropertyWrite.h"
#include "link/MonitorState.h"

// The indicator panel as a pure function of the decoded state: every indicator colour, the
// configuration pairs and the two arrangements that C1 (pump relays) and C73 (use of Y4) select.
// Every property is written on every call; nothing is remembered between calls.
PropertyWrites repaintPanelWrites(const MonitorState &state);

// The pump layout for a direct UP/DOWN pump (C1 off) or a direction and power relay (C1 on).
PropertyWrites pumpArrangement(bool directionAndPower);

// What the link-failed display paints: every indicator in its off colour, both boxes of each
// configuration pair dark, "COMM FAIL" captions, the port help text in the serial view, the
// direction-and-power pump layout and the strut-valve Y4 caption. The blink is the window's.
PropertyWrites linkFailedWrites();

// What an indicator box shows, in the words of the panel's legend: "switch closed" or "switch
// open" for an input, "output on" or "output off" for an output, "selected" or "not selected" for
// a box of a configuration pair, "receiving data" or "no data" for the link indicator. Empty for
// a control that is no indicator, and for a colour that says neither, as before the first repaint.
QString indicatorStateWords(ControlId id, BgrColour background);

// The help text on the expected port settings, top line (index 19) first.
const QStringList &portHelpText();
