#include "cave/cave.h"
#include "platform/display.h"
#include "platform/drawing.h"

void ScrollCave(std::int32_t n) {
    // Only the n new columns are computed; the rest of the picture moves as it is.
    SetBlitTarget(kCaveSprite);
    BlitImage(kCaveSprite, -n, 0);
    SetBlitTarget(-1);
    BeginDrawing(ImageTarget(kCaveSprite));

    ListFirst(ColumnList);
    for (std::int32_t i = 0; i < n; ++i) ListDeleteCurrent(ColumnList);
    ListLast(ColumnList);
    // All walks come before any painting: that fixes the order of the random draws.
    for (std::int32_t i = 0; i < n; ++i) AppendCaveColumn(StepRule::Scrolling);
    for (std::int32_t i = 0; i < n - 1; ++i) ListPrevious(ColumnList);
    for (std::int32_t x = kCaveWidth - n; x < kCaveWidth; ++x) {
        PaintCaveColumn(x);
        ListNext(ColumnList);
    }
    EndDrawing();
}
