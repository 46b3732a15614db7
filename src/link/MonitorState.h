#pragma once

#include "link/PortSettings.h"

#include <QString>

#include <array>
#include <cstdint>

// The controller's five firmware configuration relays.
struct ConfigFlags {
    bool C0 = false;
    bool C1 = false;
    bool C73 = false;
    bool C121 = false;
    bool C122 = false;
};

inline constexpr int kStatusBitCount = 51;
inline constexpr int kInputCount = 18; // X0-X7, X100-X107, X110, X111
inline constexpr int kOutputCount = 6; // Y0-Y5
inline constexpr int16_t kLinkFailedCount = 10;

// The one record every handler of the window shares. Lives as long as the window.
struct MonitorState {
    QString LastLine;
    std::array<bool, kStatusBitCount> InputBits{};
    std::array<bool, kStatusBitCount> OutputBits{};
    ::ConfigFlags ConfigFlags;
    // Ticks without a received line, less received lines; 10 declares the link failed.
    int16_t LinkSilenceCount = kLinkFailedCount;
    int16_t TickCount = 0;
    bool SerialViewFrozen = false;
    bool SaveRequested = false;
    bool LoadRequested = false;
    // The settings file has been read once (or found missing): from then on a save writes what
    // the record holds without reading the file first.
    bool SettingsRead = false;
    PortSettingsRecord PortSettings;
};
