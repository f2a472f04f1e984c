// The cave exists twice: as ColumnList, one CaveColumn per screen column (what the balls collide
// with), and as image 1, CaveSprite, whose column x shows record x (what the player sees).
#pragma once

#include <cstdint>

#include "platform/cursor_list.h"

inline constexpr std::int32_t kCaveSprite = 1;
inline constexpr std::int32_t kCaveWidth = 320;
inline constexpr std::int32_t kCaveHeight = 240;
inline constexpr std::int32_t kScrollStep = 2;  // columns the cave moves on in a running frame

struct CaveColumn {
    float Upper;  // y of the top edge of the open space
    float Lower;  // y of the bottom edge of the open space
};

struct RgbColour {
    std::int32_t Red;
    std::int32_t Green;
    std::int32_t Blue;
};

// Texture settings: chosen at start-up, RockColour drifts during play.
struct CaveLook {
    RgbColour RockColour;
    std::int32_t RockBrightness;
    std::int32_t CaveBrightness;
};

extern List<CaveColumn> ColumnList;
extern CaveLook Look;

// The initial walk is gentle; the scrolling one is rougher and narrows the passage slowly.
enum class StepRule { Initial, Scrolling };

// Walks from the current record and appends the new one after it; the new record is current.
void AppendCaveColumn(StepRule rule);
// Paints column x (1..319) of the image being drawn on from the current record and column x - 1.
void PaintCaveColumn(std::int32_t x);
// The cave image and its 320 records. False when the image cannot be made.
[[nodiscard]] bool BuildInitialCave();
void ScrollCave(std::int32_t n);
