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

// Where a live player stands in the race: every ghost still flying will score at least as much, and
// a crashed ghost is ahead only with more points. Place counts from 1 among Field balls.
struct RaceStanding {
    std::int32_t Place = 0;
    std::int32_t Field = 0;   // the ghosts and player 1
    std::int32_t Flying = 0;  // ghosts still flying
};

struct GhostRace {
    std::vector<Ghost> Ghosts;
    std::uint32_t Frames = 0;  // running frames flown so far
    // Each live player's, in roster order, as of the last frame; kept after the game has ended.
    std::vector<RaceStanding> Standings;
};
extern GhostRace Race;

// Adds a ghost that lifts from the running frames in `liftChanges` (ascending). False when its
// image cannot be made.
[[nodiscard]] bool AddGhost(std::vector<std::uint32_t> liftChanges);
// One running frame of every ghost, after the live balls'.
void MoveGhosts();
// Where `live` stands among the ghosts as they are now.
RaceStanding StandingOf(const Player& live);
// The ghosts onto the back buffer: drawn before the live balls, which cover them.
void DrawGhosts();
