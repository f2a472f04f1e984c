#include "platform/drawing.h"

#include <algorithm>

#include "platform/drawing_state.h"
#include "platform/platform_reset.h"

DrawingState Drawing;

namespace {

bool Inside(std::int32_t x, std::int32_t y) {
    return static_cast<std::uint32_t>(x) < static_cast<std::uint32_t>(Drawing.Target.Width) &&
           static_cast<std::uint32_t>(y) < static_cast<std::uint32_t>(Drawing.Target.Height);
}

}  // namespace

void InitDrawing() { Drawing = DrawingState{}; }

std::uintptr_t BeginDrawing(const DrawTarget* target) {
    EndDrawing();
    if (target == nullptr || target->Context == nullptr) return 0;
    Drawing = DrawingState{};
    Drawing.Open = true;
    Drawing.Target = *target;
    return reinterpret_cast<std::uintptr_t>(target->Context);
}

void EndDrawing() {
    if (!Drawing.Open) return;
    void (*giveBack)() = Drawing.Target.GiveBack;
    Drawing = DrawingState{};
    if (giveBack != nullptr) giveBack();
}

void SetDrawMode(std::int32_t flags) {
    if (!Drawing.Open) return;
    Drawing.Flags = flags;
    if ((flags & kOutlineOnly) != 0) {
        Drawing.Hollow = true;
    } else if (Drawing.HasLastFill) {
        Drawing.Fill = Drawing.LastFill;
        Drawing.Hollow = false;
    }
}

void SetDrawColour(std::int32_t r, std::int32_t g, std::int32_t b) {
    if (!Drawing.Open) return;
    const std::int32_t colour = PackRGB(r, g, b);
    if ((Drawing.Flags & kOutlineOnly) == 0) {
        Drawing.Fill = colour;
        Drawing.Hollow = false;
        Drawing.LastFill = colour;
        Drawing.HasLastFill = true;
    }
    Drawing.Pen = colour;
    Drawing.TextColour = colour;
}

void SetTextCursor(std::int32_t x, std::int32_t y) {
    if (!Drawing.Open) return;
    Drawing.CursorX = x;
    Drawing.CursorY = y;
}

void PutPixel(std::int32_t x, std::int32_t y, std::int32_t colour) {
    if (!Drawing.Open || !Inside(x, y)) return;
    RowOf(y)[x] = PixelOf(colour);
}

std::int32_t GetPixelColour(std::int32_t x, std::int32_t y) {
    if (!Drawing.Open || !Inside(x, y)) return -1;
    return ColourOfPixel(RowOf(y)[x]);
}

void DrawSpan(std::int64_t y, std::int64_t x0, std::int64_t x1, std::int32_t colour, bool mix) {
    if (y < 0 || y >= Drawing.Target.Height) return;
    const std::int64_t first = std::max<std::int64_t>(x0, 0);
    const std::int64_t end = std::min<std::int64_t>(x1, Drawing.Target.Width);
    if (first >= end) return;
    std::uint32_t* row = RowOf(static_cast<std::int32_t>(y));
    const std::uint32_t value = PixelOf(colour);
    if (mix) {
        for (std::int64_t x = first; x < end; ++x) row[x] ^= value;
        return;
    }
    std::fill(row + first, row + end, value);
}

void ResetDrawingState() { Drawing = DrawingState{}; }
