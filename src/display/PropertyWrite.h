#pragma once

#include "display/Colours.h"
#include "display/ControlId.h"

#include <QString>

#include <vector>

// One property of one control, as the display logic decides it and the window applies it.
enum class Property {
    Background, // number: a BgrColour
    Visible,    // number: 0 hidden, 1 shown
    Top,        // number: twips within the parent
    Height,     // number: twips
    LineY,      // number: twips, both end points of a horizontal line
    Caption,    // text
    ToolTip,    // text
};

struct PropertyWrite {
    ControlId control;
    Property property;
    qint64 number = 0;
    QString text;

    bool operator==(const PropertyWrite &) const = default;
};

using PropertyWrites = std::vector<PropertyWrite>;

inline PropertyWrite background(ControlId c, BgrColour colour) {
    return {c, Property::Background, qint64(Colour::value(colour)), {}};
}
inline PropertyWrite visible(ControlId c, bool shown) {
    return {c, Property::Visible, shown, {}};
}
inline PropertyWrite top(ControlId c, int twips) {
    return {c, Property::Top, twips, {}};
}
inline PropertyWrite height(ControlId c, int twips) {
    return {c, Property::Height, twips, {}};
}
inline PropertyWrite lineY(ControlId c, int twips) {
    return {c, Property::LineY, twips, {}};
}
inline PropertyWrite caption(ControlId c, const QString &text) {
    return {c, Property::Caption, 0, text};
}
inline PropertyWrite toolTip(ControlId c, const QString &text) {
    return {c, Property::ToolTip, 0, text};
}
