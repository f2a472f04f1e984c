// A pilot that flies the game as a player would, pressing only Up: for runs that last as long as
// their maker wants and then end in a crash with the score report, as the board accepts.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace harness {

// Flies the cave of `seed` for `frames` frames, then lets the ball fall onto the rock. The
// flight's demo, or nothing when the cave beat the pilot before (another seed will do). A `whim`
// other than 0 flies as a player would, keeping Up as it is while that gets through three frames
// in four: each whim another flight of the same cave, with fewer key changes.
std::optional<std::string> FlyDemo(std::uint32_t seed, std::uint64_t frames,
                                   std::uint32_t whim = 0);

}  // namespace harness
