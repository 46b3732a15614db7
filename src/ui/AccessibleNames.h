#pragma once

#include "display/Colours.h"
#include "display/ControlId.h"

#include <QString>

#include <vector>

// The name a screen reader gives an indicator box: its address and meaning as its tooltip gives
// them, then what the box shows in the legend's words ("X5 = Indicates the Nose gear is UP,
// switch open"). `meaning` replaces the tooltip's words where they change at run time (Y4's use);
// when it is empty the window table's tooltip is used. Empty for a control that is no indicator:
// such a control keeps its caption as its name.
QString accessibleName(ControlId id, BgrColour background, const QString &meaning = {});

// The indicator boxes in the window table's order, which is the panel's reading order: the order
// the Tab key steps through them.
const std::vector<ControlId> &indicatorReadingOrder();
