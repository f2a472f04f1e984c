// The colours of the rock texture: a pixel of a cave column takes a shade of the rock colour or
// a grey, as its row is rock or open, scaled by its blend q (0..255) of noise.
#pragma once

#include <cstdint>

#include "cave/cave.h"

// What the texture of one column needs, worked out once per column rather than once per pixel:
// the rounding of the edges is the costly part of a pixel.
struct ColumnShade {
    std::int32_t Upper;      // rows above this are rock
    std::int32_t Lower;      // rows below this are rock
    std::int32_t OpenLevel;  // brightness of the open space at full blend
    std::int32_t RockLevel;  // brightness of the rock at full blend
    RgbColour Rock;
};

ColumnShade ShadeOf(const CaveColumn& column, const CaveLook& look);
bool IsRockRow(const ColumnShade& shade, std::int32_t y);
std::int32_t ShadeColour(const ColumnShade& shade, std::int32_t y, std::int32_t q);
