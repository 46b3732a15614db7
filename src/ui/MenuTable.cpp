#include "ui/MenuTable.h"

#include <algorithm>
#include <array>

namespace {

using M = MenuId;
using K = MenuKind;
using G = SettingGroup;

// clang-format off
const std::vector<MenuDef> kMenus = {
    {M::Menu_Comm, "Menu_Comm", K::BarMenu, M::None, "Comm", G::None, false},
    {M::Menu_Port, "Menu_Port", K::SubMenu, M::Menu_Comm, "Port", G::Port, false},
    {M::Menu_Baud, "Menu_Baud", K::SubMenu, M::Menu_Comm, "Baud", G::Speed, false},
    {M::Menu_Parity, "Menu_Parity", K::SubMenu, M::Menu_Comm, "Parity", G::Parity, false},
    {M::Menu_Flow, "Menu_Flow", K::SubMenu, M::Menu_Comm, "Flow", G::FlowControl, false},
    {M::Menu_DataBits, "Menu_DataBits", K::SubMenu, M::Menu_Comm, "Data Bits", G::DataLength, false},
    {M::Menu_Stop, "Menu_Stop", K::SubMenu, M::Menu_Comm, "Stop", G::StopBits, false},
    {M::Menu_Baud_110, "Menu_Baud_110", K::Choice, M::Menu_Baud, "110", G::Speed, false},
    {M::Menu_Baud_300, "Menu_Baud_300", K::Choice, M::Menu_Baud, "300", G::Speed, false},
    {M::Menu_Baud_600, "Menu_Baud_600", K::Choice, M::Menu_Baud, "600", G::Speed, false},
    {M::Menu_Baud_1200, "Menu_Baud_1200", K::Choice, M::Menu_Baud, "1200", G::Speed, false},
    {M::Menu_Baud_2400, "Menu_Baud_2400", K::Choice, M::Menu_Baud, "2400", G::Speed, false},
    {M::Menu_Baud_4800, "Menu_Baud_4800", K::Choice, M::Menu_Baud, "4800", G::Speed, true},
    {M::Menu_Baud_9600, "Menu_Baud_9600", K::Choice, M::Menu_Baud, "9600", G::Speed, false},
    {M::Menu_Baud_14400, "Menu_Baud_14400", K::Choice, M::Menu_Baud, "14400", G::Speed, false},
    {M::Menu_Baud_19200, "Menu_Baud_19200", K::Choice, M::Menu_Baud, "19200", G::Speed, false},
    {M::Menu_Baud_28800, "Menu_Baud_28800", K::Choice, M::Menu_Baud, "28800", G::Speed, false},
    {M::Menu_Baud_38400, "Menu_Baud_38400", K::Choice, M::Menu_Baud, "38400", G::Speed, false},
    {M::Menu_Baud_56000, "Menu_Baud_56000", K::Choice, M::Menu_Baud, "56000", G::Speed, false},
    {M::Menu_Baud_57600, "Menu_Baud_57600", K::Choice, M::Menu_Baud, "57600", G::Speed, false},
    {M::Menu_Baud_115200, "Menu_Baud_115200", K::Choice, M::Menu_Baud, "115200", G::Speed, false},
    {M::Menu_Baud_128000, "Menu_Baud_128000", K::Choice, M::Menu_Baud, "128000", G::Speed, false},
    {M::Menu_Baud_256000, "Menu_Baud_256000", K::Choice, M::Menu_Baud, "256000", G::Speed, false},
    {M::Menu_Parity_None, "Menu_Parity_None", K::Choice, M::Menu_Parity, "None", G::Parity, true},
    {M::Menu_Parity_odd, "Menu_Parity_odd", K::Choice, M::Menu_Parity, "Odd", G::Parity, false},
    {M::Menu_Parity_Even, "Menu_Parity_Even", K::Choice, M::Menu_Parity, "Even", G::Parity, false},
    {M::Menu_Parity_Mark, "Menu_Parity_Mark", K::Choice, M::Menu_Parity, "Mark", G::Parity, false},
    {M::Menu_Parity_Space, "Menu_Parity_Space", K::Choice, M::Menu_Parity, "Space", G::Parity, false},
    {M::Menu_Flow_None, "Menu_Flow_None", K::Choice, M::Menu_Flow, "None", G::FlowControl, true},
    {M::Menu_Flow_RTS_CTS, "Menu_Flow_RTS_CTS", K::Choice, M::Menu_Flow, "RTS/CTS", G::FlowControl, false},
    {M::Menu_Flow_DSR_DTR, "Menu_Flow_DSR_DTR", K::Choice, M::Menu_Flow, "DSR/DTR", G::FlowControl, false},
    {M::Menu_Flow_XonXoff, "Menu_Flow_XonXoff", K::Choice, M::Menu_Flow, "Xon/Xoff", G::FlowControl, false},
    {M::Menu_DataBits_7, "Menu_DataBits_7", K::Choice, M::Menu_DataBits, "7", G::DataLength, false},
    {M::Menu_DataBits_8, "Menu_DataBits_8", K::Choice, M::Menu_DataBits, "8", G::DataLength, true},
    {M::Menu_Stop_1, "Menu_Stop_1", K::Choice, M::Menu_Stop, "1", G::StopBits, true},
    {M::Menu_Stop_15, "Menu_Stop_15", K::Choice, M::Menu_Stop, "1.5", G::StopBits, false},
    {M::Menu_Stop_2, "Menu_Stop_2", K::Choice, M::Menu_Stop, "2", G::StopBits, false},
    {M::blank5, "blank5", K::BarSpacer, M::None, "", G::None, false},
    {M::ResetPort, "ResetPort", K::BarCommand, M::None, "RESET PORT", G::None, false},
    {M::Blank4, "Blank4", K::BarSpacer, M::None, "", G::None, false},
    {M::Save_Menu, "Save_Menu", K::BarCommand, M::None, "SAVE PORT", G::None, false},
    {M::Blank1, "Blank1", K::BarSpacer, M::None, "", G::None, false},
    {M::Show_Menu, "Show_Menu", K::BarCommand, M::None, "SHOW/HIDE SERIAL", G::None, false},
    {M::blank2, "blank2", K::BarSpacer, M::None, "", G::None, false},
    {M::blank3, "blank3", K::BarSpacer, M::None, "", G::None, false},
};
// clang-format on

} // namespace

const std::vector<MenuDef> &menuTable() {
    return kMenus;
}

const MenuDef &menuDef(MenuId id) {
    static const auto index = [] {
        std::array<int, kMenuCount> byId{};
        byId.fill(-1);
        for (int i = 0; i < int(kMenus.size()); ++i)
            byId[int(kMenus[i].id)] = i;
        return byId;
    }();
    return kMenus[index[int(id)]];
}

std::vector<MenuId> groupItems(SettingGroup group) {
    std::vector<MenuId> items;
    for (const MenuDef &d : kMenus)
        if (d.kind == MenuKind::Choice && d.group == group)
            items.push_back(d.id);
    return items;
}
