#pragma once

#include "display/Colours.h"
#include "display/ControlId.h"
#include "ui/MenuId.h"

#include <QColor>
#include <QFont>

#include <array>

class QAction;
class QMenu;
class QMenuBar;
class QWidget;

QColor toQColor(BgrColour colour);

// Creates every control of the window table inside `client` (the window's area below the menu
// bar), each named and placed as the table says; returns them indexed by ControlId.
std::array<QWidget *, kControlCount> buildControls(QWidget *client, double dpi);

// The window's fonts.
QFont windowFont();

struct BuiltMenus {
    std::array<QAction *, kMenuCount> actions{};
    std::array<QMenu *, kMenuCount> menus{};
};

// Creates the menu bar from the menu table: the "Comm" menu with its six submenus and the
// commands and spacers that stand directly on the bar.
BuiltMenus buildMenus(QMenuBar *bar);
