// The built-in bitmap font: printable ASCII (32..126) in cells of 8 by 13 pixels, with capitals
// 7 pixels high and room for descenders, about the size of a desktop system font.
#pragma once

#include <cstdint>

inline constexpr std::int32_t kGlyphWidth = 8;
inline constexpr std::int32_t kGlyphHeight = 13;

// The glyph's rows, top first; bit 7 is the leftmost column. Characters outside 32..126 are
// shown as '?'.
const std::uint8_t* GlyphRows(char c);
