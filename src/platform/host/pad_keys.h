// A game controller's buttons and stick as the game's keys. The rule is the same on every
// desktop; each host reads its pads its own way and hands the state here. Free of any system
// header, so that it is tested on every system.
#pragma once

#include <cstdint>

#include "platform/host/key_codes.h"
#include "platform/host/player_keys.h"

namespace host {

struct PadState {
    bool DpadUp = false;
    bool South = false;  // the bottom face button: A on most pads
    bool Start = false;
    bool Back = false;  // Back, Select or View
    int StickUp = 0;    // how far the left stick is pushed up: -32768 (down) .. 32768 (up)
};

// Marks down (0x80) in the 256-entry key table the keys pad `index` (from 0) holds: its player's
// lift key (Up for the first pad, W for the second, ...; Up past the fourth) for the d-pad up,
// the left stick pushed up past half way or the bottom button; P (25) for Start; Escape (1) for
// Back. It never lets go of a key: the keyboard or the pointer may be holding it.
constexpr void AddPadKeys(const PadState& pad, std::uint8_t keys[256], int index = 0) {
    constexpr std::uint8_t kDown = 0x80;
    // Half way; a stick resting a little off centre must not lift the ball.
    constexpr int kHalfWayUp = 16384;
    const std::uint8_t lift =
        index >= 0 && index < kMaxPlayers ? kPlayerKeys[index] : static_cast<std::uint8_t>(kKeyUp);
    if (pad.DpadUp || pad.South || pad.StickUp >= kHalfWayUp) keys[lift] = kDown;
    if (pad.Start) keys[kKeyP] = kDown;
    if (pad.Back) keys[kKeyEscape] = kDown;
}

}  // namespace host
