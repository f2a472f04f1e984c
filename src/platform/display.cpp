#include "platform/display.h"

#include <cstring>

#include "platform/display_state.h"
#include "platform/host/host.h"
#include "platform/platform_reset.h"

DisplayState Display;

namespace {

constexpr std::int32_t kInitialImageCapacity = 50;
constexpr std::int32_t kDefaultFramesPerSecond = 60;

bool AllocateBackBuffer(std::int32_t width, std::int32_t height) {
    const auto count = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
    Display.BackBuffer = host::AllocatePixels(count);
    if (Display.BackBuffer == nullptr) return false;
    std::memset(Display.BackBuffer, 0, count * sizeof(std::uint32_t));
    return true;
}

void DropBackBuffer() {
    if (Display.Attached) host::DetachDisplay();
    Display.Attached = false;
    host::FreePixels(Display.BackBuffer);
    Display.BackBuffer = nullptr;
    Display.BackBufferLent = false;
}

// Binds the display to the window and makes its back buffer; false when either fails. Opening
// again replaces the earlier buffer instead of leaking it.
bool AttachBackBuffer(WindowHandle window, std::int32_t width, std::int32_t height) {
    DropBackBuffer();
    if (width <= 0 || height <= 0) return false;
    if (!host::AttachDisplay(window, width, height)) return false;
    Display.Attached = true;
    return AllocateBackBuffer(width, height);
}

}  // namespace

std::int32_t InitDisplaySystem() {
    FreeAllImages();
    Display.FramesPerSecond = 0;
    Display.ImageLent = false;
    Display.BackBufferLent = false;
    Display.Images.assign(kInitialImageCapacity, ImageEntry{});
    return host::InitDisplay() ? 1 : 0;
}

WindowHandle DisplayWindowHandle() { return Display.DisplayWindow; }

std::int32_t OpenWindowedDisplay(WindowHandle window, std::int32_t x, std::int32_t y,
                                 std::int32_t width, std::int32_t height, std::int32_t stretch,
                                 std::int32_t rightMargin, std::int32_t bottomMargin) {
    Display.Windowed = 1;
    if (window == 0) {
        ReleaseDisplay();
        return 0;
    }
    Display.DisplayWindow = window;
    Display.DisplayWidth = width;
    Display.DisplayHeight = height;
    if (Display.FramesPerSecond == 0) SetFramePacing(kDefaultFramesPerSecond);
    if (!AttachBackBuffer(window, width, height)) {
        ReleaseDisplay();
        return 0;
    }
    Display.BlitDestination = kBackBufferDestination;
    const host::Rect insets = host::FrameInsets(WindowStyleOf(window));
    Display.AreaOffsetX = x - insets.Left;
    Display.AreaOffsetY = y - insets.Top;
    Display.Stretch = stretch;
    Display.RightMargin = rightMargin;
    Display.BottomMargin = bottomMargin;
    Display.Active = 1;
    return 1;
}

void ReleaseDisplay() {
    FreeAllImages();
    DropBackBuffer();
    Display.DisplayWidth = 0;
    Display.DisplayHeight = 0;
    Display.BlitDestination = kBackBufferDestination;
    Display.Windowed = 0;
    Display.DisplayWindow = 0;
}

std::int32_t IsDisplayActive() { return Display.Active; }

void ShutdownDisplaySystem() {
    ReleaseDisplay();
    host::ShutdownDisplay();
}

ImageView PeekBackBuffer() {
    return {Display.BackBuffer, Display.DisplayWidth, Display.DisplayHeight};
}

void ResetDisplayState() {
    // Gives back whatever an earlier game in this process left allocated.
    FreeAllImages();
    host::FreePixels(Display.BackBuffer);
    Display = DisplayState{};
}
