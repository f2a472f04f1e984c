// The drawing library's program-wide state, shared by its units (state and pixels, shapes,
// text). Nothing outside the drawing library includes this.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/draw_target.h"

inline constexpr std::int32_t kBlack = 0;

struct DrawingState {
    bool Open = false;
    DrawTarget Target;
    std::int32_t Flags = 0;
    std::int32_t Pen = kBlack;
    std::int32_t Fill = kBlack;
    bool Hollow = false;  // no fill: shapes are drawn as their outline
    std::int32_t TextColour = kBlack;
    std::int32_t LastFill = kBlack;  // set by SetDrawColour while OutlineOnly was clear
    bool HasLastFill = false;
    std::int32_t CursorX = 0;
    std::int32_t CursorY = 0;
};

extern DrawingState Drawing;

inline std::uint32_t* RowOf(std::int32_t y) {
    auto* base = reinterpret_cast<std::uint8_t*>(Drawing.Target.Pixels);
    return reinterpret_cast<std::uint32_t*>(base +
                                            static_cast<std::ptrdiff_t>(y) * Drawing.Target.Pitch);
}

// Pixels x0..x1 - 1 of row y, clipped to the target; XORed when `mix` is set.
void DrawSpan(std::int64_t y, std::int64_t x0, std::int64_t x1, std::int32_t colour, bool mix);
