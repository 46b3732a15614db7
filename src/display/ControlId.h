#pragma once

// Every control of the monitor's window, by the name the rest of the program uses for it.
// Members of a control array carry their index: LGRxText_0 is "LGRxText(0)".
// clang-format off
enum class ControlId {
    None, // the window's client area, as a parent
    // Frames and the controls placed directly on the window.
    Frame4, Frame2, Frame3, Frame9, Frame6, CommFail, Frame5, Frame7, Frame1, Frame8,
    VersionNumber, Label4, Frame10,
    // Emergency retract, throttle, canopy, gear interlock.
    Label1, Emer_Retract_Switch,
    Label2_0, Throttle_Full_Switch, Label3, Throttle_Idle_Switch,
    Label18, Canopy_Closed_Switch,
    Label23, Interlock_AIRSPEED, Label25, Interlock_HIGH, Interlock_LOWLabel, Interlock_LOW,
    // Gear switch and alarm.
    Label2_3, Gear_Switch_Up, Label2_4, Gear_Switch_Off, Label2_5, Gear_Switch_Down,
    Label15, AlarmMutePB, Label19, Y5_Horn,
    // Gear indicator.
    Line3, Line2, Line4, Line1,
    LG_Nose_Up_Light, LG_Left_Up_Light, LG_Right_Up_Light,
    LG_Nose_Down_Light, LG_Left_Down_Light, LG_Right_Down_Light,
    Label2_2, Y2_UP_NOSE_CONTROL, Y0_UP_PUMP_LABEL, Y0_UP_PUMP_CONTROL,
    Hydraulic_Up_Pressure_Label, Hydraulic_Up_Pressure_Switch,
    Y1_DIRECTION_PUMP_LABEL, Y1_DIRECTION_PUMP_CONTROL, Y0_POWER_PUMP_LABEL, Y0_POWER_PUMP_CONTROL,
    Label2_1, Y3_DOWN_NOSE_CONTROL, Y1_DOWN_PUMP_LABEL, Y1_DOWN_PUMP_CONTROL,
    Hydraulic_Down_Pressure_Label, Hydraulic_Down_Pressure_Switch,
    StrutsCompressedLabel, StrutsCompressed, Y4_Output_Label, Y4_Output,
    // Firmware configuration.
    Line5, Label8, LG_CommOK, FirmwareVersion, Label13, LG_CycleCount,
    Label10, C0_ON, Label28, C0_OFF, Label29,
    Label9, C1_ON, Label32, C1_OFF, Label33,
    Label11, C73_ON, Label36, C73_OFF, Label37,
    Label41, C121_ON, Label38, C121_OFF, Label35,
    Label42, C122_ON, Label30, C122_OFF, Label22,
    // Serial data view.
    Shape1,
    LGRxText_0, LGRxText_1, LGRxText_2, LGRxText_3, LGRxText_4,
    LGRxText_5, LGRxText_6, LGRxText_7, LGRxText_8, LGRxText_9,
    LGRxText_10, LGRxText_11, LGRxText_12, LGRxText_13, LGRxText_14,
    LGRxText_15, LGRxText_16, LGRxText_17, LGRxText_18, LGRxText_19,
    FreezeButton,
    // Legend.
    Line6, Label5, Label14, Label16, Label7, Label6, Label20, Label17, Label12,
    Label21, Label26, Label24, Label27,
    Count
};
// clang-format on

inline constexpr int kControlCount = int(ControlId::Count);
inline constexpr int kSerialViewLines = 20;

// The serial data view's line i (0 is the newest, at the bottom).
inline constexpr ControlId serialLine(int i) {
    return ControlId(int(ControlId::LGRxText_0) + i);
}

inline constexpr bool isSerialLine(ControlId id) {
    return int(id) >= int(ControlId::LGRxText_0) &&
           int(id) < int(ControlId::LGRxText_0) + kSerialViewLines;
}
