#pragma once

#include "display/Colours.h"
#include "display/ControlId.h"

#include <vector>

enum class ControlKind { Frame, Label, Line, Rectangle, Button };

// How a control looks: font, border, alignment and text colour. The background is per control.
enum class Look {
    Frame,        // window font caption; background from the row
    Indicator,    // bordered box, Arial 8.25 bold, maroon, centred
    CaptionBox,   // bordered box, Arial 8.25 bold, maroon, centred
    ValueBox,     // bordered box, Arial 8.25 bold, navy, centred: text from the controller
    LegendText,   // no border, window font, navy, left
    LegendOr,     // no border, Arial 8.25 bold, black, centred
    LegendPhrase, // no border, Arial 8.25 bold, maroon, left
    Notice,       // no border, Arial 27.75 bold, red, centred
    FooterLeft,   // no border, window font, default colours, left
    FooterRight,  // as FooterLeft, right-aligned
    SerialLine,   // no border, Courier 9.75, navy on white, left
    Button,       // window font
    GreyLine,
    DefaultLine,
    Rectangle,
};

// One control as the window creates it. Geometry is in twips relative to the parent; for a line
// it is the two end points (x1, y1, x2, y2).
struct ControlDef {
    ControlId id;
    const char *name;
    ControlKind kind;
    ControlId parent;
    Look look;
    const char *caption;
    int left, top, width, height;
    BgrColour background;
    const char *toolTip;
    bool visible = true;
};

// Every control of the window, parents before children, in creation (stacking) order.
const std::vector<ControlDef> &controlTable();
const ControlDef &controlDef(ControlId id);
