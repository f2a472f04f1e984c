// The display: one window, a double-buffered 320x240-style picture, numbered off-screen images
// and frame pacing. Every image and the back buffer are 32 bits per pixel, 0x00RRGGBB, in memory
// the program owns.
#pragma once

#include <cstdint>

#include "platform/draw_target.h"

using WindowHandle = std::uintptr_t;  // 0 = none

// Flags of OpenMainWindow below the window style bits.
inline constexpr std::uint32_t kCentreOnDesktop = 0x00000001u;
inline constexpr std::uint32_t kCentreOnActiveWindow = 0x00000002u;
inline constexpr std::uint32_t kWindowStylePopup = 0x80000000u;
inline constexpr std::uint32_t kWindowStyleVisible = 0x10000000u;

std::int32_t InitDisplaySystem();
WindowHandle OpenMainWindow(std::int32_t number, std::int32_t x, std::int32_t y, std::int32_t width,
                            std::int32_t height, std::uint32_t flags, const char* title);
WindowHandle MainWindowHandle();
WindowHandle DisplayWindowHandle();
std::int32_t SetFramePacing(std::int32_t fps);
std::int32_t OpenWindowedDisplay(WindowHandle window, std::int32_t x, std::int32_t y,
                                 std::int32_t width, std::int32_t height, std::int32_t stretch,
                                 std::int32_t rightMargin, std::int32_t bottomMargin);
std::int32_t IsDisplayActive();
// Non-zero storage handle on success, 0 on failure.
std::uintptr_t CreateImage(std::int32_t n, std::int32_t width, std::int32_t height);
// nullptr stands for "none".
const DrawTarget* ImageTarget(std::int32_t n);
const DrawTarget* BackBufferTarget();
// Returns the blit destination in force afterwards: an image number, or -1 for the back buffer.
std::int32_t SetBlitTarget(std::int32_t n);
void BlitImage(std::int32_t n, std::int32_t x, std::int32_t y);
void BlitImageKeyed(std::int32_t n, std::int32_t x, std::int32_t y);
void ClearBackBuffer(std::int32_t r, std::int32_t g, std::int32_t b);
// Shows the back buffer, then waits out the frame period: it sleeps while more than 2 ms are
// left and watches the counter for the rest.
void PresentFrame();
void ShutdownDisplaySystem();
void CloseAllWindows();

// Read-only views for tools and tests (cavesim dumps, checksums, assertions).
struct ImageView {
    const std::uint32_t* Pixels = nullptr;  // nullptr when there is no such image
    std::int32_t Width = 0;
    std::int32_t Height = 0;
};
ImageView PeekImage(std::int32_t n);
ImageView PeekBackBuffer();
