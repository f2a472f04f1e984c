// One ball's frame: key, movement, score and collision against its cave column.
#pragma once

#include "game/player.h"

inline constexpr float kGravity = 0.0981f;

struct CaveColumn;

// True when the ball was flying as the call began, also when it crashes during it.
bool UpdatePlayer(Player& player);
// The same frame for a ball whose lift comes from elsewhere: `held` says whether it lifts, and
// `column` is the cave column under round(X) once the ball has moved.
bool FlyBall(Player& player, bool held, const CaveColumn& (*column)(std::int32_t x));
// The column under x (clamped to the display), leaving ColumnList's cursor there.
const CaveColumn& SelectColumn(std::int32_t x);
