#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace gearsim {

// The controller's eighteen inputs in the order they travel on the line: X0..X7, X100..X107,
// X110, X111. A true input is a closed switch.
enum Input : std::size_t {
    X0_RightDownLight,
    X1_LeftDownLight,
    X2_RightUpLight,
    X3_LeftUpLight,
    X4_NoseDownLight,
    X5_NoseUpLight,
    X6_GearSwitchUp,
    X7_GearSwitchDown,
    X100_UpPressureSwitch,
    X101_DownPressureSwitch,
    X102_AirspeedLow,
    X103_ThrottleFull,
    X104_ThrottleIdle,
    X105_CanopyOpen,
    X106_StrutsCompressed,
    X107_HighInterlock,
    X110_AlarmMute,
    X111_EmergencyRetract,
    InputCount
};

// The six outputs Y0..Y5. What Y0, Y1 and Y4 drive depends on the configuration relays.
enum Output : std::size_t {
    Y0_PumpUpOrPower,
    Y1_PumpDownOrDirection,
    Y2_NoseMotorUp,
    Y3_NoseMotorDown,
    Y4_StrutValveOrSpeedBrake,
    Y5_Horn,
    OutputCount
};

using InputBits = std::array<bool, InputCount>;
using OutputBits = std::array<bool, OutputCount>;

// The five configuration relays; the defaults are the controller's factory wiring "11100".
struct ConfigFlags {
    bool c0 = true;    // pressure switches normally closed (open under pressure)
    bool c1 = true;    // pump through a power relay (Y0) and a direction relay (Y1)
    bool c73 = true;   // Y4 drives the strut valve, not the speed brake
    bool c121 = false; // nose gear operated independently of the mains
    bool c122 = false; // nose gear has its own electric actuator (Y2, Y3)

    friend bool operator==(const ConfigFlags &, const ConfigFlags &) = default;
};

// Exactly five characters '0' or '1' in the order C0 C1 C73 C121 C122; anything else is refused.
std::optional<ConfigFlags> parseConfigFlags(std::string_view text);

// Every record travels as one line ended by CR LF.
inline constexpr std::string_view kLineEnd = "\r\n";

// The records without their line end. A version text loses any CR or LF so that it cannot split
// its record in two.
std::string versionRecord(std::string_view text);
std::string countRecord(std::uint64_t count);
std::string configRecord(const ConfigFlags &flags);
std::string outputRecord(const OutputBits &outputs);
std::string inputRecord(const InputBits &inputs);

} // namespace gearsim
