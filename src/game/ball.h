// One ball's frame: key, movement, score and collision against its cave column.
#pragma once

#include "game/player.h"

inline constexpr float kGravity = 0.0981f;

// True when the ball was flying as the call began, also when it crashes during it.
bool UpdatePlayer(Player& player);
