// Drawing on one lent target at a time: rectangles, circles, text with the built-in font,
// single pixels, and the colour helpers. Colours are packed red + green*256 + blue*65536.
#pragma once

#include <cstdint>

#include "platform/draw_target.h"

inline constexpr std::int32_t kTransparentText = 1;
inline constexpr std::int32_t kXorPen = 2;
inline constexpr std::int32_t kOutlineOnly = 4;

void InitDrawing();
// Returns the target's context handle, 0 when no target was opened.
std::uintptr_t BeginDrawing(const DrawTarget* target);
void EndDrawing();
void SetDrawMode(std::int32_t flags);
void SetDrawColour(std::int32_t r, std::int32_t g, std::int32_t b);
void FillRect(std::int32_t x, std::int32_t y, std::int32_t w, std::int32_t h, std::int32_t colour);
void FillCircle(std::int32_t x, std::int32_t y, std::int32_t r, std::int32_t colour);
void SetTextCursor(std::int32_t x, std::int32_t y);
void DrawTextAtCursor(const char* text);
// A single store into the target's pixels; a pixel outside the target is not written.
void PutPixel(std::int32_t x, std::int32_t y, std::int32_t colour);
// -1 without an open target or outside it.
std::int32_t GetPixelColour(std::int32_t x, std::int32_t y);

constexpr std::int32_t PackRGB(std::int32_t r, std::int32_t g, std::int32_t b) {
    // Wrapping 32-bit arithmetic, no masking: a component above 255 spills into its neighbour.
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(r) +
                                     static_cast<std::uint32_t>(g) * 256u +
                                     static_cast<std::uint32_t>(b) * 65536u);
}
constexpr std::int32_t RedOf(std::int32_t colour) { return colour & 255; }
constexpr std::int32_t GreenOf(std::int32_t colour) { return (colour >> 8) & 255; }
constexpr std::int32_t BlueOf(std::int32_t colour) { return (colour >> 16) & 255; }
// A colour as the 0x00RRGGBB word that pixel memory holds: red and blue trade places, the byte
// above blue is dropped.
constexpr std::uint32_t PixelOf(std::int32_t colour) {
    return static_cast<std::uint32_t>(RedOf(colour) << 16 | GreenOf(colour) << 8 | BlueOf(colour));
}
// The trade undone: the colour a pixel shows.
constexpr std::int32_t ColourOfPixel(std::uint32_t pixel) {
    return static_cast<std::int32_t>(PixelOf(static_cast<std::int32_t>(pixel)));
}
