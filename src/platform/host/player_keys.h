// The key that lifts each player's ball, in set-1 scan codes: the one table the game, the hosts
// (controller n lifts player n) and cavesim share. Free of any system header.
#pragma once

#include <cstdint>

namespace host {

inline constexpr int kMaxPlayers = 4;

// Four people round one keyboard, spread from left to right with a hand's width between them:
// W, B, K and Up. None is a browser shortcut, a modifier (Ctrl with W would close a page) or a
// neighbour of P or Escape, so that a player's key never pauses or ends the game.
inline constexpr std::uint8_t kPlayerKeys[kMaxPlayers] = {200, 17, 48, 37};

}  // namespace host
