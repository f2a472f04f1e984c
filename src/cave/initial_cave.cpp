#include "cave/cave.h"
#include "platform/display.h"
#include "platform/drawing.h"
#include "platform/random.h"

namespace {

// The left-most column has no neighbour to blend from: plain grey noise, all open.
void PaintFirstColumn() {
    std::int32_t v = 255;
    for (std::int32_t y = 0; y < kCaveHeight; ++y) {
        v = ((RandomUpTo(255) + v) / 2) * 190 / 256;
        PutPixel(0, y, PackRGB(v, v, v));
    }
}

}  // namespace

bool BuildInitialCave() {
    if (CreateImage(kCaveSprite, kCaveWidth, kCaveHeight) == 0) return false;
    BeginDrawing(ImageTarget(kCaveSprite));
    CaveColumn* first = ListAdd(ColumnList);
    first->Upper = 0.0f;
    first->Lower = 239.0f;
    PaintFirstColumn();
    for (std::int32_t x = 1; x < kCaveWidth; ++x) {
        AppendCaveColumn(StepRule::Initial);
        PaintCaveColumn(x);
    }
    EndDrawing();
    return true;
}
