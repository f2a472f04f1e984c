// A recorded run as a ghost's lift: the running frames at which one of its players pressed or
// let go of that player's key. Its pause turns take no frames and its P and Escape reach nothing
// but itself.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/key_script.h"

// Ascending running frames (from 1) at which the lift flips, starting from not held. A run that
// was quit lets go of Up after its last frame.
std::vector<std::uint32_t> GhostLiftFrames(const Demo& run, std::uint8_t key);
