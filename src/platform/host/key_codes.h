// The game's key codes: set-1 scan codes, E0-prefixed keys + 128. Every host fills its key table
// with them and every reader of the table names them from here, so that a code is written once.
// Free of any system header; the platform's keyboard.h passes them on to the game.
#pragma once

#include <cstdint>

inline constexpr std::int32_t kKeyEscape = 1;
inline constexpr std::int32_t kKeyP = 25;
inline constexpr std::int32_t kKeyUp = 200;

// The host's own keys, which switch full screen and never reach the game.
inline constexpr std::int32_t kKeyEnter = 28;
inline constexpr std::int32_t kKeyPadEnter = 156;
inline constexpr std::int32_t kKeyF11 = 87;
