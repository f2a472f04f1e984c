// Float-to-int conversion as the game does it everywhere: nearest integer, an exact half going to
// the even neighbour. std::nearbyint follows the default rounding mode, which is exactly that.
#pragma once

#include <cmath>
#include <cstdint>

inline std::int32_t RoundToInt(double value) {
    return static_cast<std::int32_t>(std::nearbyint(value));
}
