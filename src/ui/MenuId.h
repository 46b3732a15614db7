#pragma once

// The fixed items of the window's menu bar and of its "Comm" menu. The port items are an array
// that grows at run time and is kept apart (Form1::portItems).
// clang-format off
enum class MenuId {
    None,
    Menu_Comm, Menu_Port, Menu_Baud, Menu_Parity, Menu_Flow, Menu_DataBits, Menu_Stop,
    Menu_Baud_110, Menu_Baud_300, Menu_Baud_600, Menu_Baud_1200, Menu_Baud_2400, Menu_Baud_4800,
    Menu_Baud_9600, Menu_Baud_14400, Menu_Baud_19200, Menu_Baud_28800, Menu_Baud_38400,
    Menu_Baud_56000, Menu_Baud_57600, Menu_Baud_115200, Menu_Baud_128000, Menu_Baud_256000,
    Menu_Parity_None, Menu_Parity_odd, Menu_Parity_Even, Menu_Parity_Mark, Menu_Parity_Space,
    Menu_Flow_None, Menu_Flow_RTS_CTS, Menu_Flow_DSR_DTR, Menu_Flow_XonXoff,
    Menu_DataBits_7, Menu_DataBits_8,
    Menu_Stop_1, Menu_Stop_15, Menu_Stop_2,
    blank5, ResetPort, Blank4, Save_Menu, Blank1, Show_Menu, blank2, blank3,
    Count
};
// clang-format on

inline constexpr int kMenuCount = int(MenuId::Count);
