#include "platform/host/win32_full_screen.h"

#include <algorithm>

namespace host::win32 {
namespace {

// The frame styles full screen takes away and gives back.
constexpr LONG kFrameStyles = WS_CAPTION | WS_THICKFRAME | WS_BORDER | WS_DLGFRAME;

struct FullScreen {
    HWND Window = nullptr;  // the window in full screen, if any
    RECT WindowedRect{};    // its outer rectangle before
    LONG WindowedStyle = 0;
};

FullScreen fullScreen;

void Enter(HWND window) {
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    // The program is aware of per-monitor scaling: these are the monitor's own pixels.
    if (!GetMonitorInfoA(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), &monitor)) return;
    if (!GetWindowRect(window, &fullScreen.WindowedRect)) return;
    fullScreen.Window = window;
    fullScreen.WindowedStyle = GetWindowLongA(window, GWL_STYLE);
    SetWindowLongA(window, GWL_STYLE, (fullScreen.WindowedStyle & ~kFrameStyles) | WS_POPUP);
    const RECT& area = monitor.rcMonitor;
    SetWindowPos(window, HWND_TOP, area.left, area.top, area.right - area.left,
                 area.bottom - area.top, SWP_FRAMECHANGED | SWP_SHOWWINDOW);
}

void Leave() {
    const FullScreen was = fullScreen;
    fullScreen = FullScreen{};
    const RECT& rect = was.WindowedRect;
    SetWindowLongA(was.Window, GWL_STYLE, was.WindowedStyle);
    SetWindowPos(was.Window, nullptr, rect.left, rect.top, rect.right - rect.left,
                 rect.bottom - rect.top, SWP_NOZORDER | SWP_FRAMECHANGED | SWP_SHOWWINDOW);
}

}  // namespace

void ToggleFullScreen(HWND window) {
    if (IsFullScreen(window)) {
        Leave();
    } else {
        Enter(window);
    }
}

void LeaveFullScreen(HWND window) {
    if (IsFullScreen(window)) Leave();
}

bool IsFullScreen(HWND window) { return window != nullptr && window == fullScreen.Window; }

RECT PlaceOnBlack(HWND window, HDC context, std::int32_t width, std::int32_t height) {
    RECT area{};
    GetClientRect(window, &area);
    const std::int32_t scale = std::max(1L, std::min(area.right / width, area.bottom / height));
    const std::int32_t left = (area.right - width * scale) / 2;
    const std::int32_t top = (area.bottom - height * scale) / 2;
    const RECT picture{left, top, left + width * scale, top + height * scale};
    // Four bands around the picture, so that the picture itself is painted only once.
    const RECT bands[] = {{0, 0, area.right, picture.top},
                          {0, picture.bottom, area.right, area.bottom},
                          {0, picture.top, picture.left, picture.bottom},
                          {picture.right, picture.top, area.right, picture.bottom}};
    const auto black = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    for (const RECT& band : bands) FillRect(context, &band, black);
    return picture;
}

}  // namespace host::win32
