// The read-outs over the picture: a red border, the frame rate and a player's score.
#pragma once

#include <cstdint>

#include "game/player.h"

inline constexpr std::int32_t kFpsTextX = 10;
inline constexpr std::int32_t kFpsTextY = 10;
inline constexpr std::int32_t kScoreTextX = 270;
inline constexpr std::int32_t kScoreTextY = 190;

// Draws onto the back buffer, with `scored`'s points; with several players, everyone's.
void DrawHud(const Player& scored);

// A short text drawn on the picture, built without allocating.
struct ReadOut {
    char Text[24];
};
// "FPS: " and the rate over the current window; 0 when no time has passed.
ReadOut FpsReadOut(std::int32_t frames, std::uint32_t elapsed);
