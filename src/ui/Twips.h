#pragma once

#include <cmath>

// Positions are kept in twips (1440 to the inch) and drawn in pixels at the screen's logical DPI:
// 15 twips to the pixel at 96 DPI.
inline int twipsToPixels(int twips, double dpi) {
    return int(std::lround(twips * dpi / 1440.0));
}
