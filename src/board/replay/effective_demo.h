// What a run plays, apart from how its text was written: the keys the game reads, in poll order,
// each change a real change, up to the last poll the game took. Two demos with the same
// effective form fly the same game, so the board keeps them as one run.
#pragma once

#include <cstdint>

#include "platform/key_script.h"

// The seed and the changes of Up, P and Escape that change a key's state, by poll; a key's
// changes at one poll count as their last. Changes after `lastPoll` are dropped: the game never
// read them.
Demo EffectiveDemo(const Demo& demo, std::uint64_t lastPoll = UINT64_MAX);
