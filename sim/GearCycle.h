#pragma once

#include "StatusRecords.h"

#include <cstdint>

namespace gearsim {

// One flight, frame by frame: ground run with the gear down, take-off, retraction, cruise,
// descent with the gear-up warning, extension, and back on the ground.
enum class GearPhase {
    DownAtRest,   // on the ground, gear down and locked, down pressure held
    TakeOff,      // throttle full, lift-off half way through
    SwitchUp,     // pilot moves the gear switch to UP; the controller has not reacted yet
    PumpingUp,    // pump running up, gear unlocked and in transit (no lights)
    UpPressure,   // up pressure reached: up lights on, down lights off, pump still running
    UpCruise,     // pump off, gear held up by pressure
    UpDescent,    // throttle to idle: horn until the pilot presses alarm mute
    SwitchDown,   // pilot moves the gear switch to DOWN
    PumpingDown,  // pump running down, gear in transit
    DownPressure, // down pressure reached: down lights on, up lights off; the cycle completes
};

// The gear cycle as a state machine with no clock of its own: the caller advances it once per
// frame and reads the inputs and outputs that the controller would report for that frame.
class GearCycle {
public:
    explicit GearCycle(ConfigFlags config = {}, std::uint64_t startCount = 0);

    // Moves one frame on. Leaving DownPressure completes a cycle and raises the count by one.
    void advance();

    GearPhase phase() const { return phase_; }
    int frameInPhase() const { return frame_; }
    std::uint64_t cycleCount() const { return count_; }
    const ConfigFlags &config() const { return config_; }

    InputBits inputs() const;
    OutputBits outputs() const;

    // How many frames each phase lasts; a whole cycle is the sum.
    static int framesIn(GearPhase phase);
    static int framesPerCycle();

private:
    enum class Pump { Off, Up, Down };
    Pump pump() const;
    bool upPressurised() const;
    bool downPressurised() const;
    bool hornWanted() const;
    bool muteButtonPressed() const;
    void setGearLights(InputBits &inputs) const;
    void setCockpitInputs(InputBits &inputs) const;

    ConfigFlags config_;
    std::uint64_t count_;
    GearPhase phase_ = GearPhase::DownAtRest;
    int frame_ = 0;
    bool hornMuted_ = false; // the alarm mute holds until the gear is down again
};

} // namespace gearsim
