// What must hold of the cave and the rock colour after every frame, checked on the game's own
// state: ColumnList, RockColour and the cave image. Each check returns what it found wrong, or
// an empty text.
#pragma once

#include <cstdint>
#include <string>

#include "cave/cave.h"

// 320 records, and every record made by the walk keeps inside the screen with room to fly:
// Upper > 0, Lower < 239, Lower - Upper > 16 (up to the rounding of each edge to a float). The
// initial cave's full-height first record is allowed while it is still on screen.
std::string CheckColumnRecords();
// Each component in 192..255, at least one of them at 255.
std::string CheckRockColour(const RgbColour& rock);
// Every pixel of column x of the cave image has a colour that the texture gives its row of record
// x for some blend; `paint` is the rock colour that was in force when the column was painted.
std::string CheckPaintedColumn(std::int32_t x, const RgbColour& paint);
