// The keyboard as a snapshot of 256 set-1 scan codes (Escape 1, P 25, Up 200), taken once per
// poll, with release latches.
#pragma once

#include <cstdint>

#include "platform/host/key_codes.h"  // kKeyEscape, kKeyP, kKeyUp
#include "platform/host/player_keys.h"

// Player n (from 1) lifts with kPlayerKeys[n - 1]; player 1 with Up.
using host::kMaxPlayers;
using host::kPlayerKeys;

extern std::uint8_t KeyState[256];  // bit 7 set: down at the last successful poll
extern std::uint8_t KeyLatch[256];  // 1: seen down by WasKeyReleased, release not yet reported

std::int32_t OpenKeyboardDevice();
std::int32_t PollKeyboard();
std::int32_t IsKeyDown(std::int32_t key);
std::int32_t WasKeyReleased(std::int32_t key);
void ReleaseKeyboard();
