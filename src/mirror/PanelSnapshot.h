#pragma once

#include <QByteArray>
#include <QString>

#include <vector>

// The panel as the window shows it at one moment, in plain values: what a browser needs to draw
// the same picture. Positions are pixels in the window's client area.
struct FontView {
    QString family;
    int px = 0;
    bool bold = false;
    bool operator==(const FontView &) const = default;
};

struct ControlView {
    QString name; // the control's name in the window's control table
    QString kind; // label, frame, line, rectangle or button
    int x = 0, y = 0, w = 0, h = 0;
    bool visible = true;
    QString text;
    QString background; // CSS colours
    QString foreground;
    FontView font;
    QString align; // left, center or right
    bool border = false;
    QString tip;
    bool operator==(const ControlView &) const = default;
};

struct PanelSnapshot {
    int width = 0, height = 0;
    std::vector<ControlView> controls; // stacking order, parents before children
    bool operator==(const PanelSnapshot &) const = default;
};

// The message that gives a browser the whole panel.
QByteArray fullMessage(const PanelSnapshot &panel);

// The message that takes a browser showing `before` to `after`: each changed control with its
// name and only the fields that changed. Empty when nothing changed. When the two do not hold
// the same controls (or size) the whole of `after` is sent instead.
QByteArray changesMessage(const PanelSnapshot &before, const PanelSnapshot &after);
// A change message that changes nothing: the monitor is there and its panel is as it was.
QByteArray unchangedMessage();
