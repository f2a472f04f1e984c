// Ghosts: balls flown from recorded runs beside the live game. A ghost lifts when its run did,
// frame for frame; it never ends the game, is never reported and takes nothing from the live
// game (no keys, no random numbers, not the column list's cursor), so the live game plays the
// same with or without it.
#pragma once

#include <cstdint>
#include <vector>

#include "game/player.h"

// One image for every ghost, between the cave's (1) and the balls' (10 on).
inline constexpr std::int32_t kGhostSprite = 2;

struct Ghost {
    Player Ball;
    std::vector<std::uint32_t> LiftChanges;  // running frames (from 1) at which the lift flips
    std::size_t NextChange = 0;
    bool Held = false;
};

struct GhostRace {
    std::vector<Ghost> Ghosts;
    std::uint32_t Frames = 0;  // running frames flown so far
};
extern GhostRace Race;

// Adds a ghost that lifts from the running frames in `liftChanges` (ascending). False when its
// image cannot be made.
[[nodiscard]] bool AddGhost(std::vector<std::uint32_t> liftChanges);
// One running frame of every ghost, after the live balls'.
void MoveGhosts();
// The ghosts onto the back buffer: drawn before the live balls, which cover them.
void DrawGhosts();
