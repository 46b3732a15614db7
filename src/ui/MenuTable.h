#pragma once

#include "link/PortSettings.h"
#include "ui/MenuId.h"

#include <vector>

enum class MenuKind { BarMenu, SubMenu, Choice, BarCommand, BarSpacer };

// One menu entry as the window creates it, in order; a choice stores its caption in its group's
// port setting when chosen.
struct MenuDef {
    MenuId id;
    const char *name;
    MenuKind kind;
    MenuId parent;
    const char *caption;
    SettingGroup group;
    bool checkedAtStart;
};

const std::vector<MenuDef> &menuTable();
const MenuDef &menuDef(MenuId id);
// The choices of one group in menu order.
std::vector<MenuId> groupItems(SettingGroup group);
