// The display's program-wide state, shared by the display's own units (windows, images, blits,
// pacing) and read by its tests. Nothing else includes this.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/display.h"
#include "platform/draw_target.h"

struct ImageEntry {
    std::uint32_t* Pixels = nullptr;  // nullptr marks an empty entry
    std::int16_t Width = 0;
    std::int16_t Height = 0;
};

struct WindowEntry {
    WindowHandle Handle = 0;  // 0 marks a closed entry
    std::uint32_t Style = 0;  // the style it was created with, for its frame insets
};

inline constexpr std::int32_t kBackBufferDestination = -1;
inline constexpr std::size_t kInitialWindowCapacity = 10;

struct DisplayState {
    WindowHandle DisplayWindow = 0;
    WindowHandle CurrentWindow = 0;
    std::int32_t Windowed = 0;
    std::int32_t Active = 0;
    bool Attached = false;

    std::uint32_t* BackBuffer = nullptr;
    std::int32_t DisplayWidth = 0;
    std::int32_t DisplayHeight = 0;
    // An image number, or kBackBufferDestination; resolved at every blit so that a replaced
    // image never leaves a stale destination behind.
    std::int32_t BlitDestination = kBackBufferDestination;

    std::int32_t AreaOffsetX = 0;
    std::int32_t AreaOffsetY = 0;
    std::int32_t Stretch = 0;
    std::int32_t RightMargin = 0;
    std::int32_t BottomMargin = 0;

    std::int32_t FramesPerSecond = 0;
    std::int32_t FramePeriod = 0;
    std::int32_t LastPresent = 0;

    std::vector<ImageEntry> Images;
    std::vector<WindowEntry> Windows = std::vector<WindowEntry>(kInitialWindowCapacity);

    bool ImageLent = false;
    bool BackBufferLent = false;
    DrawTarget ImageRecord;
    DrawTarget BackBufferRecord;
};

extern DisplayState Display;

// The pixels and size the blits draw into; Pixels is nullptr when there is nothing to draw on.
struct BlitSurface {
    std::uint32_t* Pixels = nullptr;
    std::int32_t Width = 0;
    std::int32_t Height = 0;
};

// The image of number n, or nullptr when n is outside the table or the entry is empty.
ImageEntry* ExistingImage(std::int32_t n);
BlitSurface BlitDestinationSurface();
void FreeAllImages();
// Frees the images and the back buffer and unbinds the display from its window.
void ReleaseDisplay();
// The style a window of ours was created with; a borderless popup for any other handle.
std::uint32_t WindowStyleOf(WindowHandle window);
