#include "display/IndicatorPanel.h"

#include <QStringList>

namespace {

using C = ControlId;

enum class Source { Input, Output };

// An indicator box and the bit it shows: a closed switch lights bright (green, or red for the
// gear-up lights); an output on is yellow, off grey.
struct Indicator {
    ControlId control;
    Source source;
    int bit;
    BgrColour on;
    BgrColour off;
};

constexpr BgrColour kGreenOn = Colour::BrightGreen;
constexpr BgrColour kGreenOff = Colour::DarkGreen;

// clang-format off
constexpr Indicator kIndicators[] = {
    {C::LG_Right_Down_Light, Source::Input, 0, kGreenOn, kGreenOff},
    {C::Y0_UP_PUMP_CONTROL, Source::Output, 0, Colour::Yellow, Colour::Grey},
    {C::Y0_POWER_PUMP_CONTROL, Source::Output, 0, Colour::Yellow, Colour::Grey},
    {C::LG_Left_Down_Light, Source::Input, 1, kGreenOn, kGreenOff},
    {C::Y1_DOWN_PUMP_CONTROL, Source::Output, 1, Colour::Yellow, Colour::Grey},
    {C::Y1_DIRECTION_PUMP_CONTROL, Source::Output, 1, Colour::Yellow, Colour::Grey},
    {C::LG_Right_Up_Light, Source::Input, 2, Colour::Red, Colour::DarkRed},
    {C::Y2_UP_NOSE_CONTROL, Source::Output, 2, Colour::Yellow, Colour::Grey},
    {C::LG_Left_Up_Light, Source::Input, 3, Colour::Red, Colour::DarkRed},
    {C::Y3_DOWN_NOSE_CONTROL, Source::Output, 3, Colour::Yellow, Colour::Grey},
    {C::LG_Nose_Down_Light, Source::Input, 4, kGreenOn, kGreenOff},
    {C::Y4_Output, Source::Output, 4, Colour::Yellow, Colour::Grey},
    {C::LG_Nose_Up_Light, Source::Input, 5, Colour::Red, Colour::DarkRed},
    {C::Y5_Horn, Source::Output, 5, Colour::Yellow, Colour::Grey},
    {C::Gear_Switch_Up, Source::Input, 6, kGreenOn, kGreenOff},
    {C::Gear_Switch_Down, Source::Input, 7, kGreenOn, kGreenOff},
    {C::Hydraulic_Up_Pressure_Switch, Source::Input, 8, kGreenOn, kGreenOff},
    {C::Hydraulic_Down_Pressure_Switch, Source::Input, 9, kGreenOn, kGreenOff},
    {C::Interlock_AIRSPEED, Source::Input, 10, kGreenOn, kGreenOff},
    {C::Throttle_Full_Switch, Source::Input, 11, kGreenOn, kGreenOff},
    {C::Throttle_Idle_Switch, Source::Input, 12, kGreenOn, kGreenOff},
    {C::Canopy_Closed_Switch, Source::Input, 13, kGreenOn, kGreenOff},
    {C::Interlock_LOW, Source::Input, 14, kGreenOn, kGreenOff},
    {C::StrutsCompressed, Source::Input, 14, kGreenOn, kGreenOff},
    {C::Interlock_HIGH, Source::Input, 15, kGreenOn, kGreenOff},
    {C::AlarmMutePB, Source::Input, 16, kGreenOn, kGreenOff},
    {C::Emer_Retract_Switch, Source::Input, 17, kGreenOn, kGreenOff},
};
// clang-format on

// The ON and OFF boxes of each configuration relay, in the order C0, C1, C73, C121, C122.
struct ConfigPair {
    ControlId onBox;
    ControlId offBox;
};
constexpr ConfigPair kPairs[] = {{C::C0_ON, C::C0_OFF},
                                 {C::C1_ON, C::C1_OFF},
                                 {C::C73_ON, C::C73_OFF},
                                 {C::C121_ON, C::C121_OFF},
                                 {C::C122_ON, C::C122_OFF}};

bool bitOf(const MonitorState &state, const Indicator &ind) {
    return ind.source == Source::Input ? state.InputBits[ind.bit] : state.OutputBits[ind.bit];
}

void addPair(PropertyWrites &w, const ConfigPair &pair, bool relayOn) {
    w.push_back(background(pair.onBox, relayOn ? Colour::BrightGreen : Colour::DarkGreen));
    w.push_back(background(pair.offBox, relayOn ? Colour::DarkGreen : Colour::BrightGreen));
}

void addY4Label(PropertyWrites &w, bool strutValve) {
    w.push_back(caption(C::Y4_Output_Label, strutValve ? QStringLiteral("STRUT VALVE")
                                                       : QStringLiteral("SPEED BRAKE")));
    w.push_back(toolTip(C::Y4_Output_Label,
                        strutValve ? QStringLiteral("Y4 - YELLOW = STRUT valve energized")
                                   : QStringLiteral("Y4 - YELLOW = Speed Brake being Retracted")));
}

// Where the gear indicator's Y4 row and the interlock frame stand, in twips. With Y4 on the strut
// valve the struts row is shown; with Y4 on the speed brake X106 is the LOW interlock, whose row
// the interlock frame uncovers by growing upward. The frame's bottom edge stays put either way.
struct Y4Layout {
    int line1Y;
    int y4RowTop;
    int interlockFrameHeight;
};
constexpr int kInterlockFrameBottom = 6915;
constexpr Y4Layout kStrutValveLayout{3660, 4140, 1275};
constexpr Y4Layout kSpeedBrakeLayout{3780, 4020, 1695};

PropertyWrites y4Arrangement(bool strutValve) {
    const Y4Layout &at = strutValve ? kStrutValveLayout : kSpeedBrakeLayout;
    PropertyWrites w;
    addY4Label(w, strutValve);
    w.push_back(lineY(C::Line1, at.line1Y));
    w.push_back(top(C::Y4_Output_Label, at.y4RowTop));
    w.push_back(top(C::Y4_Output, at.y4RowTop));
    w.push_back(visible(C::StrutsCompressed, strutValve));
    w.push_back(visible(C::StrutsCompressedLabel, strutValve));
    w.push_back(visible(C::Interlock_LOW, !strutValve));
    w.push_back(visible(C::Interlock_LOWLabel, !strutValve));
    w.push_back(height(C::Frame9, at.interlockFrameHeight));
    w.push_back(top(C::Frame9, kInterlockFrameBottom - at.interlockFrameHeight));
    return w;
}

// The pressure switch rows of the gear indicator, in twips: higher up with the direction and
// power pumps, whose boxes take more room.
struct PressureRows {
    int upTop;
    int downTop;
};
constexpr PressureRows kDirectionAndPowerRows{1080, 3120};
constexpr PressureRows kUpAndDownRows{1260, 3240};

void append(PropertyWrites &to, const PropertyWrites &from) {
    to.insert(to.end(), from.begin(), from.end());
}

} // namespace

PropertyWrites pumpArrangement(bool directionAndPower) {
    const bool dp = directionAndPower;
    const PressureRows &rows = dp ? kDirectionAndPowerRows : kUpAndDownRows;
    return {
        visible(C::Y1_DIRECTION_PUMP_LABEL, dp),
        visible(C::Y1_DIRECTION_PUMP_CONTROL, dp),
        visible(C::Y0_POWER_PUMP_LABEL, dp),
        visible(C::Y0_POWER_PUMP_CONTROL, dp),
        visible(C::Line3, dp),
        visible(C::Line4, dp),
        visible(C::Y0_UP_PUMP_LABEL, !dp),
        visible(C::Y0_UP_PUMP_CONTROL, !dp),
        visible(C::Y1_DOWN_PUMP_LABEL, !dp),
        visible(C::Y1_DOWN_PUMP_CONTROL, !dp),
        visible(C::Line2, !dp),
        top(C::Hydraulic_Up_Pressure_Switch, rows.upTop),
        top(C::Hydraulic_Up_Pressure_Label, rows.upTop),
        top(C::Hydraulic_Down_Pressure_Switch, rows.downTop),
        top(C::Hydraulic_Down_Pressure_Label, rows.downTop),
    };
}

PropertyWrites repaintPanelWrites(const MonitorState &state) {
    PropertyWrites w;
    w.reserve(72);
    for (const Indicator &ind : kIndicators)
        w.push_back(background(ind.control, bitOf(state, ind) ? ind.on : ind.off));
    // The gear switch is OFF when it is in neither the UP nor the DOWN position.
    const bool switchOff = !state.InputBits[6] && !state.InputBits[7];
    w.push_back(background(C::Gear_Switch_Off, switchOff ? kGreenOn : kGreenOff));

    const ConfigFlags &f = state.ConfigFlags;
    addPair(w, kPairs[0], f.C0);
    addPair(w, kPairs[1], f.C1);
    append(w, pumpArrangement(f.C1));
    addPair(w, kPairs[2], f.C73);
    append(w, y4Arrangement(f.C73));
    addPair(w, kPairs[3], f.C121);
    addPair(w, kPairs[4], f.C122);
    return w;
}

const QStringList &portHelpText() {
    static const QStringList lines = {
        QString(),
        QStringLiteral(" COMM PORT SETTINGS"),
        QString(),
        QStringLiteral(" PLC Version 2.1.3"),
        QString(),
        QStringLiteral("Select the correct port"),
        QStringLiteral("from the drop down list"),
        QStringLiteral("in the Comm menu."),
        QString(),
        QStringLiteral("Select the following settings,"),
        QStringLiteral("these will match the settings"),
        QStringLiteral("from the PLC."),
        QString(),
        QStringLiteral("  BAUD      = 9,600"),
        QStringLiteral("  PARITY    = NONE"),
        QStringLiteral("  FLOW      = NONE"),
        QStringLiteral("  DATA BITS = 8"),
        QStringLiteral("  STOP      = 1"),
        QString(),
        QString(),
    };
    return lines;
}

namespace {

enum class Words { None, Switch, Output, Choice, Link };

struct Lit {
    Words words = Words::None;
    BgrColour on{};
    BgrColour off{};
};

// The colours a box shows, and which words of the legend say them.
Lit litColours(ControlId id) {
    for (const Indicator &ind : kIndicators)
        if (ind.control == id)
            return {ind.source == Source::Input ? Words::Switch : Words::Output, ind.on, ind.off};
    if (id == C::Gear_Switch_Off)
        return {Words::Switch, kGreenOn, kGreenOff};
    for (const ConfigPair &pair : kPairs)
        if (pair.onBox == id || pair.offBox == id)
            return {Words::Choice, Colour::BrightGreen, Colour::DarkGreen};
    if (id == C::LG_CommOK)
        return {Words::Link, Colour::BrightGreen, Colour::Red};
    return {};
}

QString wordsFor(Words words, bool on) {
    switch (words) {
    case Words::Switch:
        return on ? QStringLiteral("switch closed") : QStringLiteral("switch open");
    case Words::Output:
        return on ? QStringLiteral("output on") : QStringLiteral("output off");
    case Words::Choice:
        return on ? QStringLiteral("selected") : QStringLiteral("not selected");
    case Words::Link:
        return on ? QStringLiteral("receiving data") : QStringLiteral("no data");
    case Words::None:
        break;
    }
    return {};
}

} // namespace

QString indicatorStateWords(ControlId id, BgrColour background) {
    const Lit lit = litColours(id);
    if (background != lit.on && background != lit.off)
        return {};
    return wordsFor(lit.words, background == lit.on);
}

PropertyWrites linkFailedWrites() {
    PropertyWrites w;
    w.reserve(80);
    for (const Indicator &ind : kIndicators)
        w.push_back(background(ind.control, ind.off));
    w.push_back(background(C::Gear_Switch_Off, kGreenOff));
    for (const ConfigPair &pair : kPairs) {
        w.push_back(background(pair.onBox, Colour::DarkGreen));
        w.push_back(background(pair.offBox, Colour::DarkGreen));
    }
    w.push_back(caption(C::FirmwareVersion, QStringLiteral("COMM FAIL")));
    w.push_back(caption(C::LG_CycleCount, QStringLiteral("COMM FAIL")));
    const QStringList &help = portHelpText();
    for (int k = 0; k < kSerialViewLines; ++k)
        w.push_back(caption(serialLine(kSerialViewLines - 1 - k), help.at(k)));
    append(w, pumpArrangement(true));
    addY4Label(w, true);
    return w;
}
