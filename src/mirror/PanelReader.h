#pragma once

#include "mirror/PanelSnapshot.h"

class Form1;

// The panel as the window shows it now: every control of the control table, read from its
// widget, so a blinking COMM FAIL or a firmware arrangement that hides boxes comes along.
PanelSnapshot readPanel(const Form1 &window);
