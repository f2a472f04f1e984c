#include "cave/cave.h"
#include "cave/rounding.h"
#include "cave/texture.h"
#include "platform/drawing.h"
#include "platform/random.h"

List<CaveColumn> ColumnList;
CaveLook Look;

namespace {

struct EdgeSteps {
    float Upper;
    float Lower;
};

EdgeSteps DrawSteps(StepRule rule) {
    // The top step is drawn first, then the bottom one: the order is part of every replay.
    if (rule == StepRule::Initial) {
        const float dU = static_cast<float>((RandomUpTo(200) - 100) / 100.0);
        const float dL = static_cast<float>((RandomUpTo(200) - 100) / 100.0);
        return {dU, dL};
    }
    // 3486 rather than 3500, and mirrored for the bottom edge: the passage narrows on average.
    const float dU = static_cast<float>((RandomUpTo(7000) - 3486) / 1000.0);
    const float dL = static_cast<float>((3486 - RandomUpTo(7000)) / 1000.0);
    return {dU, dL};
}

}  // namespace

void AppendCaveColumn(StepRule rule) {
    // The walk continues from the rounded edges: fractions never accumulate.
    const CaveColumn* from = ListCurrent(ColumnList);
    const double upper = RoundToInt(from->Upper);
    const double lower = RoundToInt(from->Lower);
    EdgeSteps steps{};
    for (;;) {
        steps = DrawSteps(rule);
        const bool wideEnough = (lower + steps.Lower) - upper - steps.Upper > 16.0;
        if (wideEnough && upper + steps.Upper > 0.0 && lower + steps.Lower < 239.0) break;
    }
    CaveColumn* column = ListAdd(ColumnList);
    column->Upper = static_cast<float>(upper + steps.Upper);
    column->Lower = static_cast<float>(lower + steps.Lower);
}

void PaintCaveColumn(std::int32_t x) {
    const ColumnShade shade = ShadeOf(*ListCurrent(ColumnList), Look);
    const std::int32_t lastRow = kCaveHeight - 1;
    // Column x - 1 is read once up front: painting column x never writes it.
    std::int32_t left[kCaveHeight];
    for (std::int32_t y = 0; y <= lastRow; ++y) left[y] = RedOf(GetPixelColour(x - 1, y));
    for (std::int32_t y = 0; y <= lastRow; ++y) {
        // Each pixel blends its three left neighbours with fresh noise; the top and bottom rows
        // take their missing neighbour from the generator.
        const std::int32_t p1 = y == 0 ? RandomUpTo(255) : left[y - 1];
        const std::int32_t p2 = left[y];
        const std::int32_t p3 = y == lastRow ? RandomUpTo(255) : left[y + 1];
        const std::int32_t r = RandomUpTo(255);
        const std::int32_t w = RandomUpTo(10) + 1;
        const std::int32_t q = ((p1 + p2 + p3) * w + 3 * r) / (3 * w + 3);
        PutPixel(x, y, ShadeColour(shade, y, q));
    }
}
