#pragma once

#include "StatusRecords.h"

#include <array>
#include <cstdint>
#include <optional>

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

enum class Leg { Right, Left, Nose };
constexpr Leg kLegs[] = {Leg::Right, Leg::Left, Leg::Nose};

// When each leg reaches its lock, in frames from the first frame the pump runs; the same on the
// way up and down, as each actuator's speed is its own. The defaults differ per leg as real
// ones do: the light nose leg first, the left one last.
struct LegTiming {
    std::array<int, 3> lockFrame = {3, 4, 2}; // right, left, nose
    std::array<bool, 3> stuck = {};           // never reaches its up lock

    int &frames(Leg leg) { return lockFrame[static_cast<std::size_t>(leg)]; }
    int frames(Leg leg) const { return lockFrame[static_cast<std::size_t>(leg)]; }
    bool &isStuck(Leg leg) { return stuck[static_cast<std::size_t>(leg)]; }
    bool isStuck(Leg leg) const { return stuck[static_cast<std::size_t>(leg)]; }
    // How long the pump runs before the pressure builds: until the last leg that can reach its
    // stop has; a stuck leg stalls in transit and the others build the pressure.
    int pumpingFrames() const;
};

// The gear cycle as a state machine with no clock of its own: the caller advances it once per
// frame and reads the inputs and outputs that the controller would report for that frame.
class GearCycle {
public:
    explicit GearCycle(ConfigFlags config = {}, std::uint64_t startCount = 0, LegTiming legs = {});

    // Moves one frame on. Leaving DownPressure completes a cycle and raises the count by one.
    void advance();

    GearPhase phase() const { return phase_; }
    int frameInPhase() const { return frame_; }
    std::uint64_t cycleCount() const { return count_; }
    const ConfigFlags &config() const { return config_; }

    const LegTiming &legs() const { return legs_; }

    InputBits inputs() const;
    OutputBits outputs() const;

    // How many frames each phase lasts with these legs; a whole cycle is the sum.
    static int framesIn(GearPhase phase, const LegTiming &legs = {});
    static int framesPerCycle(const LegTiming &legs = {});

    // Frames from the frame the gear switch moves to the first frame that shows the leg locked;
    // none for a leg that never locks going that way.
    static std::optional<int> framesToLock(Leg leg, bool retracting, const LegTiming &legs = {});

private:
    enum class Pump { Off, Up, Down };
    Pump pump() const;
    bool upPressurised() const;
    bool downPressurised() const;
    bool hornWanted() const;
    bool muteButtonPressed() const;
    bool legLocked(Leg leg, bool up) const;
    void setGearLights(InputBits &inputs) const;
    void setCockpitInputs(InputBits &inputs) const;

    ConfigFlags config_;
    std::uint64_t count_;
    LegTiming legs_;
    GearPhase phase_ = GearPhase::DownAtRest;
    int frame_ = 0;
    bool hornMuted_ = false; // the alarm mute holds until the gear is down again
};

} // namespace gearsim
