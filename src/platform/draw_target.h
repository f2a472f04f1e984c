// What a producer of drawing targets (the display) lends to the drawing library.
#pragma once

#include <cstdint>

struct DrawTarget {
    void* Context = nullptr;          // non-null while the target is lent
    void (*GiveBack)() = nullptr;     // gives the target back to its producer; EndDrawing calls it
    std::uint32_t* Pixels = nullptr;  // row 0 of the pixels, 0x00RRGGBB
    std::int32_t Pitch = 0;           // bytes from one row to the next
    std::int32_t Width = 0;
    std::int32_t Height = 0;
    std::int32_t BitsPerPixel = 0;  // always 32 here: we own the pixel memory
};
