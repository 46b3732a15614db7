#pragma once

#include <cstdint>

// A colour as the monitor stores and passes it: 0x00BBGGRR, red in the lowest byte. A type of
// its own, so a colour is never mistaken for a position or a count.
enum class BgrColour : std::uint32_t {};

namespace Colour {
inline constexpr BgrColour White{0xFFFFFF};
inline constexpr BgrColour LightGrey{0xE0E0E0};
inline constexpr BgrColour Grey{0x808080};
inline constexpr BgrColour BrightGreen{0x00FF00};
inline constexpr BgrColour MediumGreen{0x008000};
inline constexpr BgrColour DarkGreen{0x004000};
inline constexpr BgrColour Red{0x0000FF};
inline constexpr BgrColour DarkRed{0x000040};
inline constexpr BgrColour Maroon{0x000080};
inline constexpr BgrColour Yellow{0x00FFFF};
inline constexpr BgrColour Navy{0x800000};
inline constexpr BgrColour Black{0x000000};
// Not a colour: the platform's own dialog-face (background) or button-text (foreground) colour.
inline constexpr BgrColour PlatformDefault{0xFFFFFFFF};

inline constexpr std::uint32_t value(BgrColour c) {
    return static_cast<std::uint32_t>(c);
}
inline constexpr int red(BgrColour c) {
    return int(value(c) & 0xFF);
}
inline constexpr int green(BgrColour c) {
    return int((value(c) >> 8) & 0xFF);
}
inline constexpr int blue(BgrColour c) {
    return int((value(c) >> 16) & 0xFF);
}
} // namespace Colour
