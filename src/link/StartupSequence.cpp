#include "link/StartupSequence.h"

StartupStage startupTick(int16_t &tickCount) {
    if (tickCount < kTickCountCeiling)
        ++tickCount;
    else
        tickCount = kTickCountCeiling;
    switch (tickCount) {
    case 2:
        return StartupStage::BuildPortMenu;
    case 5:
        return StartupStage::ReadSettings;
    case 10:
        return StartupStage::OpenPort;
    default:
        return StartupStage::None;
    }
}
