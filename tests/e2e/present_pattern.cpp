// Shows a known picture through the desktop host, as the game shows its frames, then reads the
// window's pixels back from the X server and compares them with the picture, as far as the
// screen's depth keeps them. Prints the way the host presents and the verdict; status 0 when
// every pixel is right.
#include <SDL.h>
#include <SDL_syswm.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <bit>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/host/host.h"

namespace {

constexpr int kWidth = 320;
constexpr int kHeight = 240;
constexpr int kTries = 100;  // 50 ms apart: the first presents may reach the screen late

// Each channel takes all of its 256 values, in different orders.
std::uint32_t PatternAt(int x, int y) {
    const auto red = static_cast<std::uint32_t>(x & 255);
    const auto green = static_cast<std::uint32_t>((x + 3 * y) & 255);
    const auto blue = static_cast<std::uint32_t>((5 * x + y) & 255);
    return red << 16 | green << 8 | blue;
}

const char* PathOf(SDL_Window* window) {
    SDL_Renderer* renderer = SDL_GetRenderer(window);
    SDL_RendererInfo info{};
    if (!renderer) return "surface";
    SDL_GetRendererInfo(renderer, &info);
    return info.name;
}

// Whether a channel the screen stores under `mask` holds the 8-bit `value`, to the bits it has.
bool Keeps(unsigned long pixel, unsigned long mask, std::uint32_t value) {
    const int bits = std::popcount(mask);
    const int kept = bits < 8 ? bits : 8;
    const unsigned long stored = (pixel & mask) >> std::countr_zero(mask);
    return stored >> (bits - kept) == value >> (8 - kept);
}

// Empty when the window shows the pattern, else what is wrong.
std::string WrongPixel(SDL_Window* window) {
    SDL_SysWMinfo wm;
    SDL_VERSION(&wm.version);
    if (!SDL_GetWindowWMInfo(window, &wm)) return "no X window";
    XImage* image = XGetImage(wm.info.x11.display, wm.info.x11.window, 0, 0, kWidth, kHeight,
                              AllPlanes, ZPixmap);
    if (!image) return "no picture of the window";
    std::string wrong;
    for (int y = 0; y < kHeight && wrong.empty(); ++y) {
        for (int x = 0; x < kWidth && wrong.empty(); ++x) {
            const unsigned long pixel = XGetPixel(image, x, y);
            const std::uint32_t want = PatternAt(x, y);
            if (!Keeps(pixel, image->red_mask, want >> 16) ||
                !Keeps(pixel, image->green_mask, want >> 8 & 255) ||
                !Keeps(pixel, image->blue_mask, want & 255)) {
                char text[96];
                std::snprintf(text, sizeof text, "pixel %d,%d is 0x%lx, expected 0x%06x", x, y,
                              pixel, static_cast<unsigned>(want));
                wrong = text;
            }
        }
    }
    XDestroyImage(image);
    return wrong;
}

}  // namespace

int main() {
    if (!host::InitDisplay()) return 1;
    host::WindowRequest request;
    request.Width = kWidth;
    request.Height = kHeight;
    request.Style = host::kStylePopup | host::kStyleVisible;
    const host::WindowId window = host::CreateHostWindow(request);
    if (window == 0) return 2;
    if (!host::AttachDisplay(window, kWidth, kHeight)) return 3;
    std::vector<std::uint32_t> pixels;
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) pixels.push_back(PatternAt(x, y));
    }
    SDL_Window* sdlWindow = SDL_GetWindowFromID(static_cast<Uint32>(window));
    std::string wrong;
    for (int i = 0; i < kTries; ++i) {
        host::Present(pixels.data(), kWidth, kHeight, {0, 0, kWidth, kHeight});
        SDL_Delay(50);
        wrong = WrongPixel(sdlWindow);
        if (wrong.empty()) break;
    }
    std::printf("%s: %s\n", PathOf(sdlWindow), wrong.empty() ? "every pixel right" : wrong.c_str());
    host::ShutdownDisplay();
    return wrong.empty() ? 0 : 1;
}
