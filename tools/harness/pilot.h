// A pilot that flies the game as a player would, pressing only Up: for runs that last as long as
// their maker wants and then end in a crash with the score report, as the board accepts.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace harness {

// Flies the cave of `seed` for `frames` frames, then lets the ball fall onto the rock. The
// flight's demo, or nothing when the cave beat the pilot before (another seed will do).
std::optional<std::string> FlyDemo(std::uint32_t seed, std::uint64_t frames);

}  // namespace harness
