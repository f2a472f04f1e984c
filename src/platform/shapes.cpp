#include <algorithm>
#include <cmath>

#include "platform/drawing.h"
#include "platform/drawing_state.h"

namespace {

bool Mixing() { return (Drawing.Flags & kXorPen) != 0; }

void UseColour(std::int32_t colour) {
    SetDrawColour(RedOf(colour), GreenOf(colour), BlueOf(colour));
}

// One row of a shape covering x0 .. x1 - 1: the pen outside inner0 .. inner1 - 1, the fill
// inside it. Every pixel is drawn once, so XOR stays exact.
void DrawShapeRow(std::int64_t y, std::int64_t x0, std::int64_t x1, std::int64_t inner0,
                  std::int64_t inner1) {
    const bool mix = Mixing();
    if (inner0 >= inner1) {
        DrawSpan(y, x0, x1, Drawing.Pen, mix);
        return;
    }
    DrawSpan(y, x0, inner0, Drawing.Pen, mix);
    if (!Drawing.Hollow) DrawSpan(y, inner0, inner1, Drawing.Fill, mix);
    DrawSpan(y, inner1, x1, Drawing.Pen, mix);
}

std::int64_t SquareRootFloor(std::int64_t value) {
    auto root = static_cast<std::int64_t>(std::sqrt(static_cast<double>(value)));
    while (root * root > value) --root;
    while ((root + 1) * (root + 1) <= value) ++root;
    return root;
}

// Half the width of the disc's row whose centre lies dy2 / 2 pixels from the circle's centre:
// the number of pixels on each side of the centre line whose centres lie within r. Distances
// are counted in half-pixels so that everything stays in integers.
std::int32_t HalfWidth(std::int64_t r, std::int64_t dy2) {
    const std::int64_t room = 4 * r * r - dy2 * dy2;
    if (room < 1) return 0;
    // The largest k with (2k - 1)^2 <= room.
    return static_cast<std::int32_t>((SquareRootFloor(room) + 1) / 2);
}

}  // namespace

void FillRect(std::int32_t x, std::int32_t y, std::int32_t w, std::int32_t h, std::int32_t colour) {
    if (!Drawing.Open) return;
    UseColour(colour);
    if (w <= 0 || h <= 0) return;
    const std::int64_t left = x;
    const std::int64_t right = left + w;
    const std::int64_t lastRow = std::int64_t{y} + h - 1;
    const std::int64_t top = std::max<std::int64_t>(y, 0);
    const std::int64_t bottom = std::min<std::int64_t>(lastRow + 1, Drawing.Target.Height);
    for (std::int64_t row = top; row < bottom; ++row) {
        const bool edgeRow = row == y || row == lastRow;
        DrawShapeRow(row, left, right, edgeRow ? right : left + 1, right - 1);
    }
}

void FillCircle(std::int32_t x, std::int32_t y, std::int32_t r, std::int32_t colour) {
    if (!Drawing.Open) return;
    UseColour(colour);
    if (r < 0) return;
    if (r == 0) {
        // The box is empty; the one pixel keeps a shaded ball's centre in the full colour.
        DrawSpan(y, x, x + 1, Drawing.Pen, Mixing());
        return;
    }
    // The pixel (i, j) belongs to the disc when its centre (i + 0.5, j + 0.5) lies within r of
    // the box centre (x, y): it stays inside the box, and a smaller disc lies inside a larger.
    // Radii beyond 2^30 would overflow the squared distances; no target comes near that size.
    const std::int64_t radius = std::min<std::int64_t>(r, std::int64_t{1} << 30);
    const std::int64_t top = std::max<std::int64_t>(std::int64_t{y} - radius, 0);
    const std::int64_t bottom =
        std::min<std::int64_t>(std::int64_t{y} + radius, Drawing.Target.Height);
    for (std::int64_t j = top; j < bottom; ++j) {
        const std::int64_t dy2 = 2 * (j - y) + 1;
        const std::int32_t half = HalfWidth(radius, dy2);
        const std::int32_t above = HalfWidth(radius, dy2 - 2);
        const std::int32_t below = HalfWidth(radius, dy2 + 2);
        const std::int32_t inner = std::min({above, below, half - 1});
        const std::int64_t centre = x;
        DrawShapeRow(j, centre - half, centre + half, centre - inner, centre + inner);
    }
}
