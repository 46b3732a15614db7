#pragma once

#include <cstdint>

// The monitor starts in stages paced by the tick: the port menu on tick 2, the settings file on
// tick 5 and the port on tick 10. RESET PORT sets the count back to 8 so the port opens once more.
enum class StartupStage { None, BuildPortMenu, ReadSettings, OpenPort };

inline constexpr int16_t kTickCountCeiling = 1000;
inline constexpr int16_t kResetPortTickCount = 8;

// Advances the tick count (held at 1000) and says which stage, if any, this tick runs.
StartupStage startupTick(int16_t &tickCount);
