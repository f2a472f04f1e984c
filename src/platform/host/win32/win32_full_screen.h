// Full screen on the Windows host: the game's window made borderless over the whole monitor it
// is on, the picture at the largest whole multiple that fits, centred on black.
#pragma once

#include <windows.h>

#include <cstdint>

namespace host::win32 {

// A member of the host's state.
struct FullScreen {
    HWND Window = nullptr;  // the window in full screen, if any
    RECT WindowedRect{};    // its outer rectangle before
    LONG WindowedStyle = 0;
};

// Switches `window` between full screen and the window it was: same place, size and style.
void ToggleFullScreen(FullScreen& state, HWND window);
// Puts `window` back as it was when it is in full screen; nothing otherwise.
void LeaveFullScreen(FullScreen& state, HWND window);
bool IsFullScreen(const FullScreen& state, HWND window);

// Where a width x height picture goes in the full-screen window, as a rectangle of `context`
// (the window's own); everything around it is painted black.
RECT PlaceOnBlack(HWND window, HDC context, std::int32_t width, std::int32_t height);

}  // namespace host::win32
