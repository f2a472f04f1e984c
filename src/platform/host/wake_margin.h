// How early a timed wait should wake where the timer's lateness is not known in advance: the
// margin follows the lateness of the host's recent wake-ups, so the caller's spin catches the
// deadline without spinning longer than that timer needs.
#pragma once

#include <algorithm>
#include <cstdint>

namespace host {

struct WakeMarginLimits {
    std::int64_t Floor = 0;    // never less: what keeps frames on time where the timer is good
    std::int64_t Ceiling = 0;  // never more: what spinning may cost at worst
};

// The margin after a wake-up `lateness` late, in the margin's own units: it jumps to cover that
// lateness with a quarter to spare, and otherwise sinks back by 1/32 a wake-up (about a second
// of frames) towards the floor.
constexpr std::int64_t NextWakeMargin(std::int64_t margin, std::int64_t lateness,
                                      WakeMarginLimits limits) {
    const std::int64_t covering = lateness + lateness / 4;
    return std::clamp(std::max(margin - margin / 32, covering), limits.Floor, limits.Ceiling);
}

}  // namespace host
