// The rock colour's slow wander, once per running frame.
#pragma once

#include <cstdint>

// Each component stays within these; one of them always stands at the top.
inline constexpr std::int32_t kRockComponentLow = 192;
inline constexpr std::int32_t kRockComponentHigh = 255;

void DriftRockColour();
