#include <algorithm>

#include "platform/display.h"
#include "platform/display_state.h"
#include "platform/host/host.h"

namespace {

constexpr std::int32_t kImageTableGrowth = 50;
constexpr std::int32_t kMaxImageSide = 32767;
constexpr std::int32_t kBitsPerPixel = 32;

void GiveBackImage() { Display.ImageLent = false; }
void GiveBackBackBuffer() { Display.BackBufferLent = false; }

DrawTarget* Lend(DrawTarget& record, bool& lent, void (*giveBack)(), std::uint32_t* pixels,
                 std::int32_t width, std::int32_t height) {
    if (lent || pixels == nullptr) return nullptr;
    lent = true;
    // We own the pixel memory, so the context is simply the pixels' address.
    record = DrawTarget{pixels, giveBack, pixels, width * 4, width, height, kBitsPerPixel};
    return &record;
}

}  // namespace

ImageEntry* ExistingImage(std::int32_t n) {
    if (n < 0 || n >= static_cast<std::int32_t>(Display.Images.size())) return nullptr;
    ImageEntry& entry = Display.Images[static_cast<std::size_t>(n)];
    return entry.Pixels != nullptr ? &entry : nullptr;
}

void FreeAllImages() {
    for (ImageEntry& entry : Display.Images) {
        host::FreePixels(entry.Pixels);
        entry = ImageEntry{};
    }
    Display.ImageLent = false;
}

std::uintptr_t CreateImage(std::int32_t n, std::int32_t width, std::int32_t height) {
    if (n < 0 || width < 1 || height < 1 || width > kMaxImageSide || height > kMaxImageSide) {
        return 0;
    }
    if (n >= static_cast<std::int32_t>(Display.Images.size())) {
        Display.Images.resize(static_cast<std::size_t>(n) + kImageTableGrowth);
    }
    ImageEntry& entry = Display.Images[static_cast<std::size_t>(n)];
    host::FreePixels(entry.Pixels);
    entry = ImageEntry{};
    const auto count = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
    std::uint32_t* pixels = host::AllocatePixels(count);
    if (pixels == nullptr) return 0;
    std::fill_n(pixels, count, 0u);  // a new image is black whatever the host hands out
    entry = ImageEntry{pixels, static_cast<std::int16_t>(width), static_cast<std::int16_t>(height)};
    return reinterpret_cast<std::uintptr_t>(pixels);
}

const DrawTarget* ImageTarget(std::int32_t n) {
    const ImageEntry* image = ExistingImage(n);
    if (image == nullptr) return nullptr;
    return Lend(Display.ImageRecord, Display.ImageLent, GiveBackImage, image->Pixels, image->Width,
                image->Height);
}

const DrawTarget* BackBufferTarget() {
    return Lend(Display.BackBufferRecord, Display.BackBufferLent, GiveBackBackBuffer,
                Display.BackBuffer, Display.DisplayWidth, Display.DisplayHeight);
}

ImageView PeekImage(std::int32_t n) {
    const ImageEntry* image = ExistingImage(n);
    if (image == nullptr) return {};
    return {image->Pixels, image->Width, image->Height};
}
