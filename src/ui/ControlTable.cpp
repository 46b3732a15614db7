#include "ui/ControlTable.h"

#include <QString>

#include <array>

namespace {

using C = ControlId;
using K = ControlKind;
using L = Look;
namespace Col = Colour;
constexpr BgrColour Dflt = Colour::PlatformDefault;

// Tooltips shared by a caption box and its indicator.
constexpr char kTipEmerRetract[] =
    "X111 - ON = Emergency Retract Switch is ON,   OFF = Emergency Retract Switch is OFF";
constexpr char kTipThrottleFull[] = "X103 - ON =Throttle at Full,  OFF = Throttle NOT at full";
constexpr char kTipThrottleIdle[] = "X104 - ON =Throttle at Idle,  OFF = Throttle NOT at idle";
constexpr char kTipCanopy[] = "X105 - ON = Canopy is Open, OFF = Canopy is Closed";
constexpr char kTipAirspeed[] = "X102 - ON = Airspeed is LOW, OFF = Airspeed OK for retract";
constexpr char kTipHigh[] =
    "X107 - ON = Circuit is shorted, NOT OK to retract,  OFF = Circuit is OPEN, OK to retract";
constexpr char kTipLow[] =
    "X106 - ON = Circuit is shorted, OK to retract,  OFF = Circuit is open, NOT OK to retract";
constexpr char kTipSwitchUp[] = "X6 - Indicates the Gear switch is in the UP position";
constexpr char kTipSwitchOff[] = "Gear switch is in the OFF position";
constexpr char kTipSwitchDown[] = "X7 - Indicates the Gear switch is in the DOWN position";
constexpr char kTipMute[] = "X110 - ON = Alarm Mute PB is ON,  OFF =  Alarm Mute PB is OFF";
constexpr char kTipHorn[] = "Y5 - YELLOW = Horn Relay is Energized";
constexpr char kTipNoseUp[] = "Y2 - YELLOW = Motor Is running in the UP direction";
constexpr char kTipUpPump[] = "Y0 - YELLOW = Pump Is running in the UP direction";
constexpr char kTipUpPres[] = "X100 - Hydraulic UP pressure";
constexpr char kTipDirection[] = "Y1 - YELLOW = UP direction,  GRAY = DOWN direction";
constexpr char kTipPower[] = "Y0 - YELLOW = Power is applied to the Direction relay";
constexpr char kTipNoseDown[] = "Y3 - YELLOW = Motor Is running in the DOWN direction";
constexpr char kTipDownPump[] = "Y1 - YELLOW = Pump Is running in the DOWN direction";
constexpr char kTipDownPres[] = "X101 - Hydraulic DOWN pressure";
constexpr char kTipStruts[] = "X106 - ON = Struts Compressed,  OFF = Struts NOT compressed";
constexpr char kTipY4Strut[] = "Y4 - YELLOW = STRUT valve energized";
constexpr char kTipY4Section[] = "Y4 will either control the QUorvel gear STRUT valve, OR, can "
                                 "control the Speed Brake Retract relay";
constexpr char kTipC0On[] = "C0 = ON   Hydraulic Switches are NC and OPEN under pressure (DEFAULT)";
constexpr char kTipC0Off[] = "C0 = OFF  Hydraulic Switches are NO and CLOSE under pressure";
constexpr char kTipC1On[] = "C1 = ON   Hydraulic relays use Direction and Power relays (DEFAULT)";
constexpr char kTipC1Off[] = "C1 = OFF  Hydraulic relays are direct UP / DOWN Relays ";
constexpr char kTipC73On[] =
    "C73 = ON   Quorvel Gear Installed - Use Y4 to control the Strut Valve (DEFAULT)";
constexpr char kTipC73Off[] = "C73 = OFF  Use Y4 as a Speed Brake control";
constexpr char kTipC121On[] = "C121 ON - SPLIT - Nose gear can be operated independently of the "
                              "mains i.e. Zorvek  (DEFAULT)";
constexpr char kTipC121Off[] = "C121 - OFF  Nose gear operates in conjunction with the mains";
constexpr char kTipC122On[] = "C122 ON - Nose gear has its own Electric Actuator";
constexpr char kTipC122Off[] = "C122 OFF - Nose Gear Actuator is Hydraulic";
constexpr char kTipClosed[] = "The switch is shorted, This supplies a ground to the X input The X "
                              "input will read less than 1 volt";
constexpr char kTipOpen[] = "The switch is open, The X input will read greater than 10 volts";
constexpr char kTipOn[] = "Output is turned ON - The Y output should read greater than 10 volts";
constexpr char kTipOff[] = "Output is turned off - The Y output should read less than 1 volt";

constexpr char kSerialLineNames[kSerialViewLines][13] = {
    "LGRxText(0)",  "LGRxText(1)",  "LGRxText(2)",  "LGRxText(3)",  "LGRxText(4)",
    "LGRxText(5)",  "LGRxText(6)",  "LGRxText(7)",  "LGRxText(8)",  "LGRxText(9)",
    "LGRxText(10)", "LGRxText(11)", "LGRxText(12)", "LGRxText(13)", "LGRxText(14)",
    "LGRxText(15)", "LGRxText(16)", "LGRxText(17)", "LGRxText(18)", "LGRxText(19)"};

// clang-format off
const ControlDef kFixedControls[] = {
    // id, name, kind, parent, look, caption, left, top, width, height, background, tooltip
    {C::Frame4, "Frame4", K::Frame, C::None, L::Frame, "Emergency Retract", 240, 240, 1695, 795, Col::LightGrey, nullptr},
    {C::Frame2, "Frame2", K::Frame, C::None, L::Frame, "Throttle", 240, 1560, 1695, 1515, Col::LightGrey, nullptr},
    {C::Frame3, "Frame3", K::Frame, C::None, L::Frame, "Canopy", 240, 3540, 1695, 1035, Col::LightGrey, nullptr},
    {C::Frame9, "Frame9", K::Frame, C::None, L::Frame, "Gear Interlock", 240, 5280, 1695, 1695, Col::LightGrey, nullptr},
    {C::Frame6, "Frame6", K::Frame, C::None, L::Frame, "Gear Switch", 2760, 240, 3315, 1275, Col::LightGrey, nullptr},
    {C::CommFail, "CommFail", K::Label, C::None, L::Notice, "COMM FAIL", 2640, 1620, 3555, 555, Dflt, "Check PLC connection, Comm settings"},
    {C::Frame5, "Frame5", K::Frame, C::None, L::Frame, "Gear Indicator", 2760, 2400, 3315, 4575, Col::LightGrey, nullptr},
    {C::Frame7, "Frame7", K::Frame, C::None, L::Frame, "ALARM", 6960, 240, 3315, 795, Col::LightGrey, nullptr},
    {C::Frame1, "Frame1", K::Frame, C::None, L::Frame, "Firmware Configuration", 6960, 1320, 3315, 5655, Col::LightGrey, nullptr},
    {C::Frame8, "Frame8", K::Frame, C::None, L::Frame, "LEGEND  -  Inputs (X)  / Outputs (Y)", 240, 7200, 10035, 795, Col::LightGrey, nullptr},
    {C::VersionNumber, "VersionNumber", K::Label, C::None, L::FooterLeft, "Copyright (c) 2026 The Landing Gear Controller Monitor developers", 240, 8040, 6795, 255, Dflt, nullptr},
    {C::Label4, "Label4", K::Label, C::None, L::FooterRight, "Copyright (c) 2026 the developers", 7620, 8040, 2655, 255, Dflt, nullptr},
    // The serial data frame lies above every other frame when shown, so it is created last of them.
    {C::Frame10, "Frame10", K::Frame, C::None, L::Frame, "SERIAL DATA", 6000, 960, 4515, 6135, Dflt, nullptr, false},

    {C::Label1, "Label1", K::Label, C::Frame4, L::CaptionBox, "SWITCH", 240, 300, 915, 285, Col::White, kTipEmerRetract},
    {C::Emer_Retract_Switch, "Emer_Retract_Switch", K::Label, C::Frame4, L::Indicator, "", 1140, 300, 255, 285, Col::MediumGreen, kTipEmerRetract},

    {C::Label2_0, "Label2(0)", K::Label, C::Frame2, L::CaptionBox, "FULL", 240, 300, 915, 285, Col::White, kTipThrottleFull},
    {C::Throttle_Full_Switch, "Throttle_Full_Switch", K::Label, C::Frame2, L::Indicator, "", 1140, 300, 255, 285, Col::MediumGreen, kTipThrottleFull},
    {C::Label3, "Label3", K::Label, C::Frame2, L::CaptionBox, "IDLE", 240, 960, 915, 285, Col::White, kTipThrottleIdle},
    {C::Throttle_Idle_Switch, "Throttle_Idle_Switch", K::Label, C::Frame2, L::Indicator, "", 1140, 960, 255, 285, Col::MediumGreen, kTipThrottleIdle},

    {C::Label18, "Label18", K::Label, C::Frame3, L::CaptionBox, "CLOSED", 240, 300, 915, 285, Col::White, kTipCanopy},
    {C::Canopy_Closed_Switch, "Canopy_Closed_Switch", K::Label, C::Frame3, L::Indicator, "", 1140, 300, 255, 285, Col::MediumGreen, kTipCanopy},

    {C::Label23, "Label23", K::Label, C::Frame9, L::CaptionBox, "AIRSPEED", 240, 360, 915, 285, Col::White, kTipAirspeed},
    {C::Interlock_AIRSPEED, "Interlock_AIRSPEED", K::Label, C::Frame9, L::Indicator, "", 1140, 360, 255, 285, Col::MediumGreen, kTipAirspeed},
    {C::Label25, "Label25", K::Label, C::Frame9, L::CaptionBox, "OPEN", 240, 780, 915, 285, Col::White, kTipHigh},
    {C::Interlock_HIGH, "Interlock_HIGH", K::Label, C::Frame9, L::Indicator, "", 1140, 780, 255, 285, Col::MediumGreen, kTipHigh},
    {C::Interlock_LOWLabel, "Interlock_LOWLabel", K::Label, C::Frame9, L::CaptionBox, "SHORT", 240, 1200, 915, 285, Col::White, kTipLow},
    {C::Interlock_LOW, "Interlock_LOW", K::Label, C::Frame9, L::Indicator, "", 1140, 1200, 255, 285, Col::MediumGreen, kTipLow},

    {C::Label2_3, "Label2(3)", K::Label, C::Frame6, L::CaptionBox, "UP", 1080, 240, 975, 285, Col::White, kTipSwitchUp},
    {C::Gear_Switch_Up, "Gear_Switch_Up", K::Label, C::Frame6, L::Indicator, "", 2070, 240, 255, 285, Col::MediumGreen, kTipSwitchUp},
    {C::Label2_4, "Label2(4)", K::Label, C::Frame6, L::CaptionBox, "OFF", 1080, 540, 975, 285, Col::White, kTipSwitchOff},
    {C::Gear_Switch_Off, "Gear_Switch_Off", K::Label, C::Frame6, L::Indicator, "", 2070, 540, 255, 285, Col::MediumGreen, kTipSwitchOff},
    {C::Label2_5, "Label2(5)", K::Label, C::Frame6, L::CaptionBox, "DOWN", 1080, 840, 975, 285, Col::White, kTipSwitchDown},
    {C::Gear_Switch_Down, "Gear_Switch_Down", K::Label, C::Frame6, L::Indicator, "", 2070, 840, 255, 285, Col::MediumGreen, kTipSwitchDown},

    {C::Label15, "Label15", K::Label, C::Frame7, L::CaptionBox, "MUTE PB", 300, 300, 915, 285, Col::White, kTipMute},
    {C::AlarmMutePB, "AlarmMutePB", K::Label, C::Frame7, L::Indicator, "", 1200, 300, 255, 285, Col::MediumGreen, kTipMute},
    {C::Label19, "Label19", K::Label, C::Frame7, L::CaptionBox, "HORN", 1860, 300, 915, 285, Col::White, kTipHorn},
    {C::Y5_Horn, "Y5_Horn", K::Label, C::Frame7, L::Indicator, "", 2760, 300, 255, 285, Col::Grey, kTipHorn},

    // Lines lie beneath the boxes of their frame, so they come first.
    {C::Line3, "Line3", K::Line, C::Frame5, L::GreyLine, "", 0, 1680, 3300, 1680, Col::Grey, nullptr},
    {C::Line2, "Line2", K::Line, C::Frame5, L::GreyLine, "", 0, 1920, 3300, 1920, Col::Grey, nullptr},
    {C::Line4, "Line4", K::Line, C::Frame5, L::GreyLine, "", 0, 2220, 3300, 2220, Col::Grey, nullptr},
    {C::Line1, "Line1", K::Line, C::Frame5, L::GreyLine, "", 0, 3660, 3300, 3660, Col::Grey, nullptr},
    {C::LG_Nose_Up_Light, "LG_Nose_Up_Light", K::Label, C::Frame5, L::Indicator, "", 720, 420, 255, 345, Col::DarkRed, "X5 = Indicates the Nose gear is UP"},
    {C::LG_Left_Up_Light, "LG_Left_Up_Light", K::Label, C::Frame5, L::Indicator, "", 360, 1080, 255, 345, Col::DarkRed, "X3 = Indicates the Left gear is UP"},
    {C::LG_Right_Up_Light, "LG_Right_Up_Light", K::Label, C::Frame5, L::Indicator, "", 1080, 1080, 255, 345, Col::DarkRed, "X2 = Indicates the Right gear is UP"},
    {C::LG_Nose_Down_Light, "LG_Nose_Down_Light", K::Label, C::Frame5, L::Indicator, "", 720, 2460, 255, 345, Col::MediumGreen, "X4 = Indicates the Nose gear is down"},
    {C::LG_Left_Down_Light, "LG_Left_Down_Light", K::Label, C::Frame5, L::Indicator, "", 360, 3120, 255, 345, Col::MediumGreen, "X1 = Indicates the Left gear is down"},
    {C::LG_Right_Down_Light, "LG_Right_Down_Light", K::Label, C::Frame5, L::Indicator, "", 1080, 3120, 255, 345, Col::MediumGreen, "X0 = Indicates the Right gear is down"},
    {C::Label2_2, "Label2(2)", K::Label, C::Frame5, L::CaptionBox, "NOSE UP", 1860, 420, 975, 285, Col::White, kTipNoseUp},
    {C::Y2_UP_NOSE_CONTROL, "Y2_UP_NOSE_CONTROL", K::Label, C::Frame5, L::Indicator, "", 2820, 420, 255, 285, Col::Grey, kTipNoseUp},
    {C::Y0_UP_PUMP_LABEL, "Y0_UP_PUMP_LABEL", K::Label, C::Frame5, L::CaptionBox, "UP PMP", 1860, 960, 975, 285, Col::White, kTipUpPump},
    {C::Y0_UP_PUMP_CONTROL, "Y0_UP_PUMP_CONTROL", K::Label, C::Frame5, L::Indicator, "", 2820, 960, 255, 285, Col::Grey, kTipUpPump},
    {C::Hydraulic_Up_Pressure_Label, "Hydraulic_Up_Pressure_Label", K::Label, C::Frame5, L::CaptionBox, "UP PRES", 1860, 1200, 975, 285, Col::White, kTipUpPres},
    {C::Hydraulic_Up_Pressure_Switch, "Hydraulic_Up_Pressure_Switch", K::Label, C::Frame5, L::Indicator, "", 2820, 1200, 255, 285, Col::MediumGreen, kTipUpPres},
    {C::Y1_DIRECTION_PUMP_LABEL, "Y1_DIRECTION_PUMP_LABEL", K::Label, C::Frame5, L::CaptionBox, "DIRECTION", 300, 1800, 975, 285, Col::White, kTipDirection},
    {C::Y1_DIRECTION_PUMP_CONTROL, "Y1_DIRECTION_PUMP_CONTROL", K::Label, C::Frame5, L::Indicator, "", 1260, 1800, 255, 285, Col::Grey, kTipDirection},
    {C::Y0_POWER_PUMP_LABEL, "Y0_POWER_PUMP_LABEL", K::Label, C::Frame5, L::CaptionBox, "POWER", 1860, 1800, 975, 285, Col::White, kTipPower},
    {C::Y0_POWER_PUMP_CONTROL, "Y0_POWER_PUMP_CONTROL", K::Label, C::Frame5, L::Indicator, "", 2820, 1800, 255, 285, Col::Grey, kTipPower},
    {C::Label2_1, "Label2(1)", K::Label, C::Frame5, L::CaptionBox, "NOSE DWN", 1860, 2460, 975, 285, Col::White, kTipNoseDown},
    {C::Y3_DOWN_NOSE_CONTROL, "Y3_DOWN_NOSE_CONTROL", K::Label, C::Frame5, L::Indicator, "", 2820, 2460, 255, 285, Col::Grey, kTipNoseDown},
    {C::Y1_DOWN_PUMP_LABEL, "Y1_DOWN_PUMP_LABEL", K::Label, C::Frame5, L::CaptionBox, "DWN PMP", 1860, 3000, 975, 285, Col::White, kTipDownPump},
    {C::Y1_DOWN_PUMP_CONTROL, "Y1_DOWN_PUMP_CONTROL", K::Label, C::Frame5, L::Indicator, "", 2820, 3000, 255, 285, Col::Grey, kTipDownPump},
    {C::Hydraulic_Down_Pressure_Label, "Hydraulic_Down_Pressure_Label", K::Label, C::Frame5, L::CaptionBox, "DWN PRES", 1860, 3240, 975, 285, Col::White, kTipDownPres},
    {C::Hydraulic_Down_Pressure_Switch, "Hydraulic_Down_Pressure_Switch", K::Label, C::Frame5, L::Indicator, "", 2820, 3240, 255, 285, Col::MediumGreen, kTipDownPres},
    {C::StrutsCompressedLabel, "StrutsCompressedLabel", K::Label, C::Frame5, L::CaptionBox, "STRUTS COMP", 960, 3840, 1395, 285, Col::White, kTipStruts},
    {C::StrutsCompressed, "StrutsCompressed", K::Label, C::Frame5, L::Indicator, "", 2340, 3840, 255, 285, Col::MediumGreen, kTipStruts},
    {C::Y4_Output_Label, "Y4_Output_Label", K::Label, C::Frame5, L::CaptionBox, "STRUT VALVE", 960, 4140, 1395, 285, Col::White, nullptr},
    {C::Y4_Output, "Y4_Output", K::Label, C::Frame5, L::Indicator, "", 2340, 4140, 255, 285, Col::Grey, kTipY4Strut},

    {C::Line5, "Line5", K::Line, C::Frame1, L::GreyLine, "", 0, 1920, 3300, 1920, Col::Grey, nullptr},
    {C::Label8, "Label8", K::Label, C::Frame1, L::CaptionBox, "FIRMWARE VERSION", 240, 360, 2775, 285, Col::White, nullptr},
    {C::LG_CommOK, "LG_CommOK", K::Label, C::Frame1, L::Indicator, "", 2820, 360, 255, 285, Col::Red, "Receiving Data GREEN = OK,  RED = BAD"},
    {C::FirmwareVersion, "FirmwareVersion", K::Label, C::Frame1, L::ValueBox, "", 1020, 720, 1275, 285, Col::White, "Firmware version of the PLC"},
    {C::Label13, "Label13", K::Label, C::Frame1, L::CaptionBox, "GEAR CYCLE COUNT", 240, 1200, 2775, 285, Col::White, nullptr},
    {C::LG_CycleCount, "LG_CycleCount", K::Label, C::Frame1, L::ValueBox, "", 1020, 1560, 1275, 285, Col::White, "Gear Cycle count contained in the PLC "},
    {C::Label10, "Label10", K::Label, C::Frame1, L::CaptionBox, "HYDRAULIC SWITCHES", 240, 2040, 2775, 285, Col::White, "Hyd Switches sense the pressure in the lines, These can be NO - normally open, OR, NC - Normally Closed"},
    {C::C0_ON, "C0_ON", K::Label, C::Frame1, L::Indicator, "", 300, 2370, 255, 285, Col::MediumGreen, kTipC0On},
    {C::Label28, "Label28", K::Label, C::Frame1, L::LegendText, "Norm Closed", 660, 2400, 975, 225, Col::LightGrey, kTipC0On},
    {C::C0_OFF, "C0_OFF", K::Label, C::Frame1, L::Indicator, "", 1800, 2370, 255, 285, Col::MediumGreen, kTipC0Off},
    {C::Label29, "Label29", K::Label, C::Frame1, L::LegendText, "Norm Open", 2160, 2400, 1035, 225, Col::LightGrey, kTipC0Off},
    {C::Label9, "Label9", K::Label, C::Frame1, L::CaptionBox, "PUMP CONTROL", 240, 2760, 2775, 285, Col::White, "Pump control relays can be eithe UP/DOWN, OR, a more fail safe mode Direction/Power,"},
    {C::C1_ON, "C1_ON", K::Label, C::Frame1, L::Indicator, "", 300, 3120, 255, 285, Col::MediumGreen, kTipC1On},
    {C::Label32, "Label32", K::Label, C::Frame1, L::LegendText, "DIR / POWER", 660, 3150, 975, 225, Col::LightGrey, kTipC1On},
    {C::C1_OFF, "C1_OFF", K::Label, C::Frame1, L::Indicator, "", 1800, 3120, 255, 285, Col::MediumGreen, kTipC1Off},
    {C::Label33, "Label33", K::Label, C::Frame1, L::LegendText, "UP / DOWN", 2160, 3150, 1035, 225, Col::LightGrey, kTipC1Off},
    {C::Label11, "Label11", K::Label, C::Frame1, L::CaptionBox, "Y4 OUTPUT", 240, 3480, 2775, 285, Col::White, kTipY4Section},
    {C::C73_ON, "C73_ON", K::Label, C::Frame1, L::Indicator, "", 300, 3840, 255, 285, Col::MediumGreen, kTipC73On},
    {C::Label36, "Label36", K::Label, C::Frame1, L::LegendText, "Strut Valve", 660, 3870, 915, 225, Col::LightGrey, kTipC73On},
    {C::C73_OFF, "C73_OFF", K::Label, C::Frame1, L::Indicator, "", 1800, 3840, 255, 285, Col::MediumGreen, kTipC73Off},
    {C::Label37, "Label37", K::Label, C::Frame1, L::LegendText, "Speed Brake", 2160, 3870, 1035, 225, Col::LightGrey, kTipC73Off},
    {C::Label41, "Label41", K::Label, C::Frame1, L::CaptionBox, "Nose Gear Control", 240, 4200, 2775, 285, Col::White, "Nose Gear operates either Split (Zirvek or Combined (Standard Tricycle)"},
    {C::C121_ON, "C121_ON", K::Label, C::Frame1, L::Indicator, "", 300, 4560, 255, 285, Col::MediumGreen, kTipC121On},
    {C::Label38, "Label38", K::Label, C::Frame1, L::LegendText, "Split Mode", 600, 4560, 915, 225, Col::LightGrey, kTipC121On},
    {C::C121_OFF, "C121_OFF", K::Label, C::Frame1, L::Indicator, "", 1800, 4560, 255, 285, Col::MediumGreen, kTipC121Off},
    {C::Label35, "Label35", K::Label, C::Frame1, L::LegendText, "Combine Mode", 2160, 4560, 1035, 225, Col::LightGrey, kTipC121Off},
    {C::Label42, "Label42", K::Label, C::Frame1, L::CaptionBox, "Nose Gear Actuator", 240, 4920, 2775, 285, Col::White, kTipY4Section},
    {C::C122_ON, "C122_ON", K::Label, C::Frame1, L::Indicator, "", 300, 5280, 255, 285, Col::MediumGreen, kTipC122On},
    {C::Label30, "Label30", K::Label, C::Frame1, L::LegendText, "Electric", 600, 5310, 915, 225, Col::LightGrey, kTipC122On},
    {C::C122_OFF, "C122_OFF", K::Label, C::Frame1, L::Indicator, "", 1800, 5280, 255, 285, Col::MediumGreen, kTipC122Off},
    {C::Label22, "Label22", K::Label, C::Frame1, L::LegendText, "Hydraulic", 2160, 5310, 1035, 225, Col::LightGrey, kTipC122Off},

    {C::Shape1, "Shape1", K::Rectangle, C::Frame10, L::Rectangle, "", 300, 360, 3915, 4995, Col::Black, nullptr},
    {C::FreezeButton, "FreezeButton", K::Button, C::Frame10, L::Button, "FREEZE", 1740, 5580, 1215, 375, Dflt, nullptr},

    {C::Line6, "Line6", K::Line, C::Frame8, L::DefaultLine, "", 5640, 180, 5640, 660, Col::Black, nullptr},
    {C::Label5, "Label5", K::Label, C::Frame8, L::Indicator, "", 360, 300, 255, 285, Col::BrightGreen, kTipClosed},
    {C::Label14, "Label14", K::Label, C::Frame8, L::LegendOr, "OR", 610, 340, 255, 195, Col::LightGrey, nullptr},
    {C::Label16, "Label16", K::Label, C::Frame8, L::Indicator, "", 900, 300, 255, 285, Col::Red, kTipClosed},
    {C::Label7, "Label7", K::Label, C::Frame8, L::LegendPhrase, "Switch is closed", 1320, 360, 1455, 195, Col::LightGrey, kTipClosed},
    {C::Label6, "Label6", K::Label, C::Frame8, L::Indicator, "", 3240, 300, 255, 285, Col::DarkGreen, kTipOpen},
    {C::Label20, "Label20", K::Label, C::Frame8, L::LegendOr, "OR", 3490, 340, 255, 195, Col::LightGrey, nullptr},
    {C::Label17, "Label17", K::Label, C::Frame8, L::Indicator, "", 3780, 300, 255, 285, Col::DarkRed, kTipOpen},
    {C::Label12, "Label12", K::Label, C::Frame8, L::LegendPhrase, "Switch is open", 4140, 360, 1815, 195, Col::LightGrey, kTipOpen},
    {C::Label21, "Label21", K::Label, C::Frame8, L::Indicator, "", 6480, 300, 255, 285, Col::Yellow, kTipOn},
    {C::Label26, "Label26", K::Label, C::Frame8, L::LegendPhrase, "Output is ON", 6840, 360, 1215, 195, Col::LightGrey, kTipOn},
    {C::Label24, "Label24", K::Label, C::Frame8, L::Indicator, "", 8340, 300, 255, 285, Col::Grey, kTipOff},
    {C::Label27, "Label27", K::Label, C::Frame8, L::LegendPhrase, "Output is OFF", 8700, 360, 1275, 195, Col::LightGrey, kTipOff},
};
// clang-format on

// The twenty serial data lines, index 0 at the bottom (top 5040), each 240 twips above the last.
std::vector<ControlDef> serialLines() {
    std::vector<ControlDef> lines;
    for (int i = 0; i < kSerialViewLines; ++i)
        lines.push_back({serialLine(i), kSerialLineNames[i], K::Label, C::Frame10, L::SerialLine,
                         "", 420, 5040 - 240 * i, 3555, 255, Col::White, nullptr});
    return lines;
}

std::vector<ControlDef> buildTable() {
    std::vector<ControlDef> table(std::begin(kFixedControls), std::end(kFixedControls));
    // The lines go after the rectangle they sit in and before the button.
    auto button = std::find_if(table.begin(), table.end(),
                               [](const ControlDef &d) { return d.id == C::FreezeButton; });
    const auto lines = serialLines();
    table.insert(button, lines.begin(), lines.end());
    return table;
}

} // namespace

const std::vector<ControlDef> &controlTable() {
    static const std::vector<ControlDef> table = buildTable();
    return table;
}

const ControlDef &controlDef(ControlId id) {
    static const auto index = [] {
        std::array<int, kControlCount> byId{};
        byId.fill(-1);
        const auto &table = controlTable();
        for (int i = 0; i < int(table.size()); ++i)
            byId[int(table[i].id)] = i;
        return byId;
    }();
    return controlTable()[index[int(id)]];
}
