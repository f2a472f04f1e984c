// A game controller's buttons and stick as the game's keys. The rule is the same on every
// desktop; each host reads its pads its own way and hands the state here.
#pragma once

#include <cstdint>

namespace host {

struct PadState {
    bool DpadUp = false;
    bool South = false;  // the bottom face button: A on most pads
    bool Start = false;
    bool Back = false;       // Back, Select or View
    std::int16_t LeftY = 0;  // the left stick, negative upwards, -32768..32767
};

// Marks the keys the pad holds as down (0x80) in the set-1 key table: D-pad up, the stick
// pushed up past half way or the bottom button hold Up; Start is P; Back is Escape. Keys the
// pad does not hold are left as they are, so other sources keep theirs.
void AddPadKeys(const PadState& pad, std::uint8_t keys[256]);

}  // namespace host
