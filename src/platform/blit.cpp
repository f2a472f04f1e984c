#include <algorithm>
#include <cstring>

#include "platform/display.h"
#include "platform/display_state.h"

namespace {

// A clipped copy: `count` rows of `width` pixels, both sides with their own row length.
struct CopyRect {
    std::uint32_t* Dest;
    const std::uint32_t* Source;
    std::ptrdiff_t DestStride;
    std::ptrdiff_t SourceStride;
    std::int32_t Width;
    std::int32_t Rows;
};

void CopyRowKeyed(std::uint32_t* dest, const std::uint32_t* source, std::int32_t width,
                  bool backwards) {
    if (backwards) {
        for (std::int32_t i = width - 1; i >= 0; --i) {
            if (source[i] != 0) dest[i] = source[i];
        }
        return;
    }
    for (std::int32_t i = 0; i < width; ++i) {
        if (source[i] != 0) dest[i] = source[i];
    }
}

// Source and destination may be the same image: going through the rows (and the pixels of a
// keyed row) away from the overlap gives the copy of an untouched duplicate.
void Copy(const CopyRect& rect, bool keyed) {
    const bool backwards = rect.Dest > rect.Source;
    for (std::int32_t k = 0; k < rect.Rows; ++k) {
        const std::int32_t row = backwards ? rect.Rows - 1 - k : k;
        std::uint32_t* dest = rect.Dest + row * rect.DestStride;
        const std::uint32_t* source = rect.Source + row * rect.SourceStride;
        if (keyed) {
            CopyRowKeyed(dest, source, rect.Width, backwards);
        } else {
            std::memmove(dest, source, static_cast<std::size_t>(rect.Width) * sizeof *dest);
        }
    }
}

void Blit(std::int32_t n, std::int32_t x, std::int32_t y, bool keyed) {
    if (Display.Active == 0) return;
    const ImageEntry* image = ExistingImage(n);
    const BlitSurface dest = BlitDestinationSurface();
    if (image == nullptr || dest.Pixels == nullptr) return;
    std::int32_t w = image->Width;
    std::int32_t h = image->Height;
    if (x >= dest.Width || y >= dest.Height || x <= -w || y <= -h) return;
    if (x + w > dest.Width) w = dest.Width - x;
    if (y + h > dest.Height) h = dest.Height - y;
    const std::int32_t sx = x < 0 ? -x : 0;
    const std::int32_t sy = y < 0 ? -y : 0;
    x += sx;
    y += sy;
    const CopyRect rect{dest.Pixels + static_cast<std::ptrdiff_t>(y) * dest.Width + x,
                        image->Pixels + static_cast<std::ptrdiff_t>(sy) * image->Width + sx,
                        dest.Width,
                        image->Width,
                        w - sx,
                        h - sy};
    Copy(rect, keyed);
}

}  // namespace

BlitSurface BlitDestinationSurface() {
    if (Display.BlitDestination == kBackBufferDestination) {
        return {Display.BackBuffer, Display.DisplayWidth, Display.DisplayHeight};
    }
    const ImageEntry* image = ExistingImage(Display.BlitDestination);
    if (image == nullptr) return {};
    return {image->Pixels, image->Width, image->Height};
}

std::int32_t SetBlitTarget(std::int32_t n) {
    if (n == kBackBufferDestination || ExistingImage(n) != nullptr) Display.BlitDestination = n;
    return Display.BlitDestination;
}

void BlitImage(std::int32_t n, std::int32_t x, std::int32_t y) { Blit(n, x, y, false); }

void BlitImageKeyed(std::int32_t n, std::int32_t x, std::int32_t y) { Blit(n, x, y, true); }

void ClearBackBuffer(std::int32_t r, std::int32_t g, std::int32_t b) {
    const BlitSurface dest = BlitDestinationSurface();
    if (dest.Pixels == nullptr) return;
    // Components are neither clamped nor masked; the arithmetic wraps at 32 bits.
    const std::uint32_t value = static_cast<std::uint32_t>(r) * 65536u +
                                static_cast<std::uint32_t>(g) * 256u +
                                static_cast<std::uint32_t>(b);
    const auto count = static_cast<std::size_t>(dest.Width) * static_cast<std::size_t>(dest.Height);
    if (value == 0) {
        std::memset(dest.Pixels, 0, count * sizeof *dest.Pixels);
    } else {
        std::fill_n(dest.Pixels, count, value);
    }
}
