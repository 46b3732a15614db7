#pragma once

#include <cstdint>

// Colours as the monitor stores and passes them: 0x00BBGGRR, red in the lowest byte.
using VbColour = std::uint32_t;

namespace Colour {
inline constexpr VbColour White = 0xFFFFFF;
inline constexpr VbColour LightGrey = 0xE0E0E0;
inline constexpr VbColour Grey = 0x808080;
inline constexpr VbColour BrightGreen = 0x00FF00;
inline constexpr VbColour MediumGreen = 0x008000;
inline constexpr VbColour DarkGreen = 0x004000;
inline constexpr VbColour Red = 0x0000FF;
inline constexpr VbColour DarkRed = 0x000040;
inline constexpr VbColour Maroon = 0x000080;
inline constexpr VbColour Yellow = 0x00FFFF;
inline constexpr VbColour Navy = 0x800000;
inline constexpr VbColour Black = 0x000000;
// Not a colour: the platform's own dialog-face (background) or button-text (foreground) colour.
inline constexpr VbColour PlatformDefault = 0xFFFFFFFF;

inline constexpr int red(VbColour c) {
    return int(c & 0xFF);
}
inline constexpr int green(VbColour c) {
    return int((c >> 8) & 0xFF);
}
inline constexpr int blue(VbColour c) {
    return int((c >> 16) & 0xFF);
}
} // namespace Colour
