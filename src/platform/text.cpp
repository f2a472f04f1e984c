#include <cstring>

#include "platform/drawing.h"
#include "platform/drawing_state.h"
#include "platform/font.h"

namespace {

constexpr std::int32_t kTextBackground = 0xFFFFFF;  // a context's default: white

void DrawGlyph(char c, std::int64_t left, std::int64_t top) {
    const std::uint8_t* rows = GlyphRows(c);
    for (std::int32_t row = 0; row < kGlyphHeight; ++row) {
        const std::uint8_t bits = rows[row];
        for (std::int32_t column = 0; column < kGlyphWidth; ++column) {
            if ((bits & (0x80u >> column)) == 0) continue;
            const std::int64_t x = left + column;
            DrawSpan(top + row, x, x + 1, Drawing.TextColour, false);
        }
    }
}

}  // namespace

void DrawTextAtCursor(const char* text) {
    if (!Drawing.Open || text == nullptr || *text == '\0') return;
    const auto length = static_cast<std::int64_t>(std::strlen(text));
    const std::int64_t left = Drawing.CursorX;
    const std::int64_t right = left + length * kGlyphWidth;
    const std::int64_t top = Drawing.CursorY;
    if ((Drawing.Flags & kTransparentText) == 0) {
        for (std::int32_t row = 0; row < kGlyphHeight; ++row) {
            DrawSpan(top + row, left, right, kTextBackground, false);
        }
    }
    for (std::int64_t i = 0; i < length; ++i) DrawGlyph(text[i], left + i * kGlyphWidth, top);
    Drawing.CursorX = static_cast<std::int32_t>(right);
}
