#include "GearCycle.h"

#include <algorithm>

namespace gearsim {

namespace {

constexpr GearPhase kOrder[] = {
    GearPhase::DownAtRest,  GearPhase::TakeOff,      GearPhase::SwitchUp,  GearPhase::PumpingUp,
    GearPhase::UpPressure,  GearPhase::UpCruise,     GearPhase::UpDescent, GearPhase::SwitchDown,
    GearPhase::PumpingDown, GearPhase::DownPressure,
};

// Frames within phases where something happens to the pilot's switches.
constexpr int kCanopyOpenFrom = 1, kCanopyOpenUntil = 4; // DownAtRest: pilot climbs in
constexpr int kLiftOffFrame = 2;                         // TakeOff
constexpr int kMuteFrame = 3;                            // UpDescent
constexpr int kSlowFrom = 4;                             // UpDescent: airspeed low
constexpr int kDefaultPumpingFrames = 4; // when no leg can lock, the pump still stops on pressure

GearPhase nextPhase(GearPhase phase) {
    const auto index = static_cast<std::size_t>(phase) + 1;
    return index < std::size(kOrder) ? kOrder[index] : kOrder[0];
}

bool inPhases(GearPhase phase, std::initializer_list<GearPhase> phases) {
    for (GearPhase p : phases) {
        if (p == phase)
            return true;
    }
    return false;
}

// Normally-closed switches (C0 on) open under pressure; normally-open ones close.
bool pressureSwitchReads(bool pressurised, bool normallyClosed) {
    return normallyClosed ? !pressurised : pressurised;
}

} // namespace

int LegTiming::pumpingFrames() const {
    int last = 0;
    for (Leg leg : kLegs) {
        if (!isStuck(leg))
            last = std::max(last, frames(leg));
    }
    return last > 0 ? last : kDefaultPumpingFrames;
}

GearCycle::GearCycle(ConfigFlags config, std::uint64_t startCount, LegTiming legs)
    : config_(config), count_(startCount), legs_(legs) {}

int GearCycle::framesIn(GearPhase phase, const LegTiming &legs) {
    switch (phase) {
    case GearPhase::DownAtRest:
        return 8;
    case GearPhase::TakeOff:
        return 4;
    case GearPhase::PumpingUp:
    case GearPhase::PumpingDown:
        return legs.pumpingFrames();
    case GearPhase::UpCruise:
    case GearPhase::UpDescent:
        return 6;
    case GearPhase::SwitchUp:
    case GearPhase::UpPressure:
    case GearPhase::SwitchDown:
    case GearPhase::DownPressure:
        return 1;
    }
    return 1;
}

int GearCycle::framesPerCycle(const LegTiming &legs) {
    int total = 0;
    for (GearPhase phase : kOrder)
        total += framesIn(phase, legs);
    return total;
}

// The switch frame, then the pumping frames up to the leg's lock; a leg whose lock comes with
// the pressure locks on the pressure frame.
std::optional<int> GearCycle::framesToLock(Leg leg, bool retracting, const LegTiming &legs) {
    if (retracting && legs.isStuck(leg))
        return std::nullopt;
    return 1 + std::min(legs.frames(leg), legs.pumpingFrames());
}

void GearCycle::advance() {
    if (++frame_ >= framesIn(phase_, legs_)) {
        if (phase_ == GearPhase::DownPressure) {
            ++count_;
            hornMuted_ = false; // down and locked: the next warning sounds again
        }
        phase_ = nextPhase(phase_);
        frame_ = 0;
    }
    if (muteButtonPressed())
        hornMuted_ = true;
}

// advance() sets the latch on the frame the button goes down, so only that frame is checked here.
bool GearCycle::muteButtonPressed() const {
    return phase_ == GearPhase::UpDescent && frame_ == kMuteFrame;
}

GearCycle::Pump GearCycle::pump() const {
    if (inPhases(phase_, {GearPhase::PumpingUp, GearPhase::UpPressure}))
        return Pump::Up;
    if (inPhases(phase_, {GearPhase::PumpingDown, GearPhase::DownPressure}))
        return Pump::Down;
    return Pump::Off;
}

// Pressure builds when the gear reaches its stops and is held until the switch is moved again.
bool GearCycle::upPressurised() const {
    return inPhases(phase_, {GearPhase::UpPressure, GearPhase::UpCruise, GearPhase::UpDescent});
}

bool GearCycle::downPressurised() const {
    return inPhases(phase_, {GearPhase::DownPressure, GearPhase::DownAtRest, GearPhase::TakeOff});
}

// Every leg leaves its lock the frame the pump starts and reaches the other one on its own frame;
// a stuck leg never reaches its up lock but comes down and locks with the others.
bool GearCycle::legLocked(Leg leg, bool up) const {
    if (up && legs_.isStuck(leg))
        return false;
    const GearPhase pumping = up ? GearPhase::PumpingUp : GearPhase::PumpingDown;
    if (phase_ == pumping)
        return frame_ >= legs_.frames(leg);
    if (up)
        return inPhases(phase_, {GearPhase::UpPressure, GearPhase::UpCruise, GearPhase::UpDescent,
                                 GearPhase::SwitchDown});
    return inPhases(phase_, {GearPhase::DownAtRest, GearPhase::TakeOff, GearPhase::SwitchUp,
                             GearPhase::DownPressure});
}

void GearCycle::setGearLights(InputBits &inputs) const {
    inputs[X0_RightDownLight] = legLocked(Leg::Right, false);
    inputs[X1_LeftDownLight] = legLocked(Leg::Left, false);
    inputs[X4_NoseDownLight] = legLocked(Leg::Nose, false);
    inputs[X2_RightUpLight] = legLocked(Leg::Right, true);
    inputs[X3_LeftUpLight] = legLocked(Leg::Left, true);
    inputs[X5_NoseUpLight] = legLocked(Leg::Nose, true);
}

void GearCycle::setCockpitInputs(InputBits &inputs) const {
    const bool onGround =
        phase_ == GearPhase::DownAtRest || (phase_ == GearPhase::TakeOff && frame_ < kLiftOffFrame);
    const bool throttleFull = inPhases(phase_, {GearPhase::TakeOff, GearPhase::SwitchUp,
                                                GearPhase::PumpingUp, GearPhase::UpPressure});
    const bool throttleIdle =
        inPhases(phase_, {GearPhase::DownAtRest, GearPhase::UpDescent, GearPhase::SwitchDown,
                          GearPhase::PumpingDown, GearPhase::DownPressure});
    const bool slowing = phase_ == GearPhase::UpDescent && frame_ >= kSlowFrom;
    inputs[X102_AirspeedLow] =
        onGround || slowing ||
        inPhases(phase_, {GearPhase::SwitchDown, GearPhase::PumpingDown, GearPhase::DownPressure});
    inputs[X103_ThrottleFull] = throttleFull;
    inputs[X104_ThrottleIdle] = throttleIdle;
    inputs[X105_CanopyOpen] =
        phase_ == GearPhase::DownAtRest && frame_ >= kCanopyOpenFrom && frame_ < kCanopyOpenUntil;
    inputs[X106_StrutsCompressed] = onGround;
    // The high interlock circuit closes while the aircraft is too fast to lower the gear.
    inputs[X107_HighInterlock] = phase_ == GearPhase::UpCruise;
    inputs[X110_AlarmMute] = muteButtonPressed();
    inputs[X111_EmergencyRetract] = false;
}

InputBits GearCycle::inputs() const {
    InputBits inputs{};
    setGearLights(inputs);
    const bool switchUp =
        inPhases(phase_, {GearPhase::SwitchUp, GearPhase::PumpingUp, GearPhase::UpPressure,
                          GearPhase::UpCruise, GearPhase::UpDescent});
    inputs[X6_GearSwitchUp] = switchUp;
    inputs[X7_GearSwitchDown] = !switchUp;
    inputs[X100_UpPressureSwitch] = pressureSwitchReads(upPressurised(), config_.c0);
    inputs[X101_DownPressureSwitch] = pressureSwitchReads(downPressurised(), config_.c0);
    setCockpitInputs(inputs);
    return inputs;
}

// The gear-up warning: gear not down and locked while the throttle is at idle or the airspeed
// low, until the pilot mutes it.
bool GearCycle::hornWanted() const {
    const InputBits in = inputs();
    const bool downLocked = in[X0_RightDownLight] && in[X1_LeftDownLight] && in[X4_NoseDownLight];
    return !downLocked && (in[X104_ThrottleIdle] || in[X102_AirspeedLow]) && !hornMuted_;
}

OutputBits GearCycle::outputs() const {
    OutputBits outputs{};
    const Pump running = pump();
    if (config_.c1) {
        // Power relay and direction relay; the direction relay on means UP.
        outputs[Y0_PumpUpOrPower] = running != Pump::Off;
        outputs[Y1_PumpDownOrDirection] = running == Pump::Up;
    } else {
        outputs[Y0_PumpUpOrPower] = running == Pump::Up;
        outputs[Y1_PumpDownOrDirection] = running == Pump::Down;
    }
    // An electric nose actuator runs with the pump; a hydraulic one needs no output.
    outputs[Y2_NoseMotorUp] = config_.c122 && running == Pump::Up;
    outputs[Y3_NoseMotorDown] = config_.c122 && running == Pump::Down;
    // The strut valve shortens the struts while they retract; the speed brake is retracted
    // while the throttle is at full for take-off.
    outputs[Y4_StrutValveOrSpeedBrake] =
        config_.c73 ? running == Pump::Up : phase_ == GearPhase::TakeOff;
    outputs[Y5_Horn] = hornWanted();
    return outputs;
}

} // namespace gearsim
