#include "platform/host/win32/win32_full_screen.h"

#include "platform/host/full_screen.h"

namespace host::win32 {
namespace {

// The frame styles full screen takes away and gives back.
constexpr LONG kFrameStyles = WS_CAPTION | WS_THICKFRAME | WS_BORDER | WS_DLGFRAME;

void Enter(FullScreen& state, HWND window) {
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    // The program is aware of per-monitor scaling: these are the monitor's own pixels.
    if (!GetMonitorInfoW(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), &monitor)) return;
    if (!GetWindowRect(window, &state.WindowedRect)) return;
    state.Window = window;
    state.WindowedStyle = GetWindowLongW(window, GWL_STYLE);
    SetWindowLongW(window, GWL_STYLE, (state.WindowedStyle & ~kFrameStyles) | WS_POPUP);
    const RECT& area = monitor.rcMonitor;
    SetWindowPos(window, HWND_TOP, area.left, area.top, area.right - area.left,
                 area.bottom - area.top, SWP_FRAMECHANGED | SWP_SHOWWINDOW);
}

void Leave(FullScreen& state) {
    const FullScreen was = state;
    state = FullScreen{};
    const RECT& rect = was.WindowedRect;
    SetWindowLongW(was.Window, GWL_STYLE, was.WindowedStyle);
    SetWindowPos(was.Window, nullptr, rect.left, rect.top, rect.right - rect.left,
                 rect.bottom - rect.top, SWP_NOZORDER | SWP_FRAMECHANGED | SWP_SHOWWINDOW);
}

}  // namespace

void ToggleFullScreen(FullScreen& state, HWND window) {
    if (IsFullScreen(state, window)) {
        Leave(state);
    } else {
        Enter(state, window);
    }
}

void LeaveFullScreen(FullScreen& state, HWND window) {
    if (IsFullScreen(state, window)) Leave(state);
}

bool IsFullScreen(const FullScreen& state, HWND window) {
    return window != nullptr && window == state.Window;
}

RECT PlaceOnBlack(HWND window, HDC context, std::int32_t width, std::int32_t height) {
    RECT area{};
    GetClientRect(window, &area);
    const Rect place = CentredWholeMultiple({area.right, area.bottom}, {width, height});
    const RECT picture{place.Left, place.Top, place.Right, place.Bottom};
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
