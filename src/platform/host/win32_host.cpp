// Windows host: a Win32 window, pictures through GDI, keys from the window's own key messages,
// the left mouse button and XInput pads. Needs nothing beyond the DLLs every Windows has
// (KERNEL32, USER32, GDI32, WINMM); XInput is loaded when there.
#include <windows.h>
// after windows.h, which it needs
#include <timeapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/host/host.h"
#include "platform/host/wake_margin.h"
#include "platform/host/win32_full_screen.h"
#include "platform/host/win32_pad.h"

namespace host {
namespace {

// mingw-w64's headers lack it; Windows before 10 1803 refuses it, so the plain timer stays the
// fallback.
constexpr DWORD kCreateWaitableTimerHighResolution = 0x00000002;

// What a wait leaves to the caller's spin, in 100 ns units. The high-resolution timer's lateness
// is not documented, and differs between Windows versions and wine (which rounds to whole
// milliseconds), so its margin follows its wake-ups. The floor keeps frames within 0.3 ms where
// the timer is good, as on Linux; the ceiling is the 2 ms that plain Sleep at a 1 ms timer
// resolution needs, and that it always gets.
constexpr WakeMarginLimits kTimerMargins{2000, 20000};
constexpr LONGLONG kSleepMargin = 20000;

constexpr std::uint8_t kKeyDown = 0x80;
constexpr std::uint8_t kUpKey = 200;  // what the pointer holds

// A finger held on a touch screen would wait for Windows' press-and-hold gesture (a right click)
// before it reached the window as a mouse button: the game wants it at once.
constexpr char kTabletProperty[] = "MicrosoftTabletPenServiceProperty";
constexpr UINT_PTR kNoPressAndHoldNorFlicks = 0x00010001;

struct Win32Host {
    HINSTANCE Instance = nullptr;
    HWND DisplayWindow = nullptr;  // the window Present draws into
    bool KeyboardOpen = false;
    std::uint8_t Keys[256] = {};  // the keyboard's own
    bool PointerHeld = false;     // the left mouse button (or a finger) went down on our window
    bool SleepReady = false;      // the sleep mechanism below has been chosen
    HANDLE WaitTimer = nullptr;
    LONGLONG TimerMargin = kTimerMargins.Floor;
    LONGLONG CounterFrequency = 0;
    bool TimerPeriodRaised = false;
    bool StartFullScreen = false;  // the player's --fullscreen
};

Win32Host state;

// Windows reports NumLock with the extended bit and Pause without it; the set-1 codes have them
// the other way round. Every other key's code is its scan code, + 128 when extended.
std::uint8_t KeyCode(LPARAM lParam) {
    const auto scan = static_cast<std::uint8_t>((lParam >> 16) & 0xFF);
    const bool extended = ((lParam >> 24) & 1) != 0;
    constexpr std::uint8_t kNumLockScan = 0x45;
    const bool swapped = scan == kNumLockScan;
    return static_cast<std::uint8_t>(scan + ((extended != swapped) ? 128 : 0));
}

void ReleaseAllKeys() {
    std::memset(state.Keys, 0, sizeof state.Keys);
    state.PointerHeld = false;
}

// Alt+Enter and F11 switch full screen; they are the host's keys, never the game's.
bool IsFullScreenKey(UINT message, WPARAM key, LPARAM lParam) {
    const bool altHeld = (lParam & (LPARAM{1} << 29)) != 0;
    return key == VK_F11 || (message == WM_SYSKEYDOWN && key == VK_RETURN && altHeld);
}

void OnKeyDown(HWND window, UINT message, WPARAM key, LPARAM lParam) {
    if (!IsFullScreenKey(message, key, lParam)) {
        state.Keys[KeyCode(lParam)] = kKeyDown;
        return;
    }
    const bool repeated = (lParam & (LPARAM{1} << 30)) != 0;  // held: one switch per press
    if (!repeated && window == state.DisplayWindow) win32::ToggleFullScreen(window);
}

LRESULT CALLBACK WindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CLOSE:  // the game decides when it ends, not the close button or Alt+F4
            return 0;
        case WM_KEYDOWN:
        case WM_SYSKEYDOWN:
            OnKeyDown(window, message, wParam, lParam);
            return 0;
        case WM_KEYUP:
        case WM_SYSKEYUP:  // swallowed so that Alt or F10 never starts a modal menu loop
            state.Keys[KeyCode(lParam)] = 0;
            return 0;
        case WM_LBUTTONDOWN:
            SetCapture(window);  // the button-up comes here even when let go elsewhere
            state.PointerHeld = true;
            return 0;
        case WM_LBUTTONUP:
            ReleaseCapture();
            state.PointerHeld = false;
            return 0;
        case WM_CAPTURECHANGED:  // another window took the mouse: the button-up will not come
            state.PointerHeld = false;
            break;
        case WM_DEVICECHANGE:  // perhaps a pad plugged in
            win32::RecheckPads();
            break;
        case WM_KILLFOCUS:
            ReleaseAllKeys();  // the key-up messages will go to another window
            break;
        case WM_ACTIVATE:
            if (LOWORD(wParam) == WA_INACTIVE) ReleaseAllKeys();
            break;
        case WM_ERASEBKGND:  // the next Present covers the whole area; no grey flash meanwhile
            if (window == state.DisplayWindow) return 1;
            break;
        default:
            break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

// Keeps the window responsive and the key table current; the game never sees a message.
void DrainMessages() {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
}

// A top-down 32-bit DIB: 0x00RRGGBB is exactly its pixel layout, rows packed like ours.
BITMAPINFO PictureInfo(std::int32_t width, std::int32_t height) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // negative: the first row is the top one
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    return info;
}

HWND AsHandle(WindowId window) { return reinterpret_cast<HWND>(window); }

bool DisplayHasFocus() {
    return state.DisplayWindow != nullptr && GetForegroundWindow() == state.DisplayWindow;
}

// A high-resolution waitable timer sleeps to within about a millisecond; without one, a raised
// system timer resolution makes Sleep that precise. Chosen once, on the first sleep.
void PrepareSleep() {
    state.SleepReady = true;
    LARGE_INTEGER frequency;
    state.CounterFrequency = QueryPerformanceFrequency(&frequency) ? frequency.QuadPart : 0;
    state.WaitTimer = CreateWaitableTimerExW(nullptr, nullptr, kCreateWaitableTimerHighResolution,
                                             TIMER_ALL_ACCESS);
    if (state.WaitTimer == nullptr) state.TimerPeriodRaised = timeBeginPeriod(1) == TIMERR_NOERROR;
}

void ReleaseSleep() {
    if (state.WaitTimer != nullptr) CloseHandle(state.WaitTimer);
    if (state.TimerPeriodRaised) timeEndPeriod(1);
    state.WaitTimer = nullptr;
    state.TimerPeriodRaised = false;
    state.SleepReady = false;
}

bool WaitOnTimer(LONGLONG hundredNanoseconds) {
    LARGE_INTEGER due;
    due.QuadPart = -hundredNanoseconds;  // negative: relative to now
    return SetWaitableTimer(state.WaitTimer, &due, 0, nullptr, nullptr, FALSE) &&
           WaitForSingleObject(state.WaitTimer, INFINITE) == WAIT_OBJECT_0;
}

LONGLONG Counter() {
    LARGE_INTEGER counter;
    return QueryPerformanceCounter(&counter) ? counter.QuadPart : 0;
}

LONGLONG HundredNanoseconds(LONGLONG counterTicks) {
    return counterTicks * 10'000'000 / state.CounterFrequency;
}

// Sleeps `hundredNanoseconds`, less what the chosen mechanism may oversleep, so that the caller
// spins only the rest.
void SleepShortOf(LONGLONG hundredNanoseconds) {
    if (state.WaitTimer != nullptr) {
        const LONGLONG span = hundredNanoseconds - state.TimerMargin;
        if (span <= 0) return;
        const LONGLONG start = Counter();
        if (WaitOnTimer(span)) {
            const LONGLONG lateness = HundredNanoseconds(Counter() - start) - span;
            state.TimerMargin = NextWakeMargin(state.TimerMargin, lateness, kTimerMargins);
            return;
        }
    }
    const LONGLONG milliseconds = (hundredNanoseconds - kSleepMargin) / 10000;
    if (milliseconds > 0) Sleep(static_cast<DWORD>(milliseconds));
}

// False when there is no such handle or it takes no writing.
bool WriteAll(HANDLE out, const char* text) {
    if (out == nullptr || out == INVALID_HANDLE_VALUE) return false;
    DWORD left = static_cast<DWORD>(std::strlen(text));
    while (left > 0) {
        DWORD written = 0;
        if (!WriteFile(out, text, left, &written, nullptr) || written == 0) return false;
        text += written;
        left -= written;
    }
    return true;
}

// The console of the program that started this one, for as long as it takes to write there.
bool WriteToParentConsole(const char* text) {
    if (!AttachConsole(ATTACH_PARENT_PROCESS)) return false;
    HANDLE console = CreateFileA("CONOUT$", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                 nullptr, OPEN_EXISTING, 0, nullptr);
    const bool written = WriteAll(console, text);
    if (console != INVALID_HANDLE_VALUE) CloseHandle(console);
    FreeConsole();
    return written;
}

}  // namespace

// --- Before the window ----------------------------------------------------------------------

// A windowed program has no console of its own: the text goes to the handles it was given (a
// pipe or a file), else to the console it was started from, else into a box.
void TellUser(const char* text, bool error) {
    if (WriteAll(GetStdHandle(error ? STD_ERROR_HANDLE : STD_OUTPUT_HANDLE), text)) return;
    if (WriteToParentConsole(text)) return;
    MessageBoxA(nullptr, text, "cave", MB_OK | (error ? MB_ICONERROR : MB_ICONINFORMATION));
}

// The program declares itself DPI-aware, so Windows no longer blows its window up blurred;
// this whole factor gives back the size the desktop's scaling asks for, in sharp pixels.
std::int32_t DesktopScale() {
    constexpr int kUnscaledDpi = 96;
    HDC screen = GetDC(nullptr);
    const int dpi = screen != nullptr ? GetDeviceCaps(screen, LOGPIXELSX) : kUnscaledDpi;
    if (screen != nullptr) ReleaseDC(nullptr, screen);
    return std::max(1, dpi / kUnscaledDpi);
}

void SetStartFullScreen(bool fullScreen) { state.StartFullScreen = fullScreen; }

// --- Display and windows --------------------------------------------------------------------

bool InitDisplay() {
    state.Instance = GetModuleHandleA(nullptr);
    return GetSystemMetrics(SM_CXSCREEN) > 0 && GetSystemMetrics(SM_CYSCREEN) > 0;
}

void ShutdownDisplay() { DetachDisplay(); }

Size DesktopSize() { return {GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)}; }

Rect FrameInsets(std::uint32_t style) {
    RECT frame{0, 0, 0, 0};
    AdjustWindowRect(&frame, style, FALSE);
    return {frame.left, frame.top, frame.right, frame.bottom};
}

WindowId CreateHostWindow(const WindowRequest& request) {
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = WindowProcedure;
    windowClass.hInstance = state.Instance;
    windowClass.hIcon = LoadIconA(state.Instance, MAKEINTRESOURCEA(1));  // the game's icon
    windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = request.ClassName;
    if (RegisterClassA(&windowClass) == 0) return 0;

    HWND window =
        CreateWindowExA(0, request.ClassName, request.Title, request.Style, request.X, request.Y,
                        request.Width, request.Height, nullptr, nullptr, state.Instance, nullptr);
    if (window == nullptr) UnregisterClassA(request.ClassName, state.Instance);
    return reinterpret_cast<WindowId>(window);
}

void DestroyHostWindow(WindowId window) {
    char className[256] = {};
    const bool named = GetClassNameA(AsHandle(window), className, sizeof className) > 0;
    if (AsHandle(window) == state.DisplayWindow) DetachDisplay();
    DestroyWindow(AsHandle(window));
    if (named) UnregisterClassA(className, state.Instance);
}

WindowId ActiveWindow() { return reinterpret_cast<WindowId>(GetActiveWindow()); }

Rect WindowRect(WindowId window) {
    RECT outer{};
    GetWindowRect(AsHandle(window), &outer);
    return {outer.left, outer.top, outer.right, outer.bottom};
}

bool AttachDisplay(WindowId window, std::int32_t width, std::int32_t height) {
    if (!IsWindow(AsHandle(window)) || width <= 0 || height <= 0) return false;
    state.DisplayWindow = AsHandle(window);
    SetPropA(state.DisplayWindow, kTabletProperty,
             reinterpret_cast<HANDLE>(kNoPressAndHoldNorFlicks));
    ShowWindow(state.DisplayWindow, SW_SHOWNORMAL);  // also activates it: keys come to it
    if (state.StartFullScreen && !win32::IsFullScreen(state.DisplayWindow)) {
        win32::ToggleFullScreen(state.DisplayWindow);
    }
    return true;
}

void DetachDisplay() {
    if (state.DisplayWindow == nullptr) return;
    win32::LeaveFullScreen(state.DisplayWindow);
    RemovePropA(state.DisplayWindow, kTabletProperty);
    state.DisplayWindow = nullptr;
}

void Present(const std::uint32_t* pixels, std::int32_t width, std::int32_t height, Rect dest) {
    DrainMessages();
    if (state.DisplayWindow == nullptr) return;
    HDC context = GetWindowDC(state.DisplayWindow);  // origin at the outer top-left, as `dest`
    if (context == nullptr) return;
    if (win32::IsFullScreen(state.DisplayWindow)) {
        const RECT place = win32::PlaceOnBlack(state.DisplayWindow, context, width, height);
        dest = {place.left, place.top, place.right, place.bottom};
    }
    const BITMAPINFO info = PictureInfo(width, height);
    const std::int32_t destWidth = dest.Right - dest.Left;
    const std::int32_t destHeight = dest.Bottom - dest.Top;
    if (destWidth == width && destHeight == height) {
        SetDIBitsToDevice(context, dest.Left, dest.Top, width, height, 0, 0, 0, height, pixels,
                          &info, DIB_RGB_COLORS);
    } else {
        SetStretchBltMode(context, COLORONCOLOR);  // whole multiples stay sharp
        StretchDIBits(context, dest.Left, dest.Top, destWidth, destHeight, 0, 0, width, height,
                      pixels, &info, DIB_RGB_COLORS, SRCCOPY);
    }
    ReleaseDC(state.DisplayWindow, context);
}

// --- Keyboard -------------------------------------------------------------------------------

bool OpenKeyboard() {
    ReleaseAllKeys();
    win32::OpenPads();
    state.KeyboardOpen = true;
    return true;
}

void CloseKeyboard() {
    win32::ClosePads();
    state.KeyboardOpen = false;
}

// A key is down while any source holds it: the keyboard, the pointer or a pad. Without the focus
// the first two have let go already, and the pads are not asked.
bool ReadKeys(std::uint8_t keys[256]) {
    if (!state.KeyboardOpen) return false;
    DrainMessages();
    std::memcpy(keys, state.Keys, sizeof state.Keys);
    if (state.PointerHeld) keys[kUpKey] = kKeyDown;
    if (DisplayHasFocus()) win32::HoldKeysOfPads(keys);
    return true;
}

// --- Messages, time, memory, exit -----------------------------------------------------------

void ShowMessage(const char* title, const char* text) {
    if (MessageBoxA(GetForegroundWindow(), text, title, MB_OK) == 0) {
        std::fprintf(stderr, "%s\n%s\n", title, text);
    }
}

std::uint32_t TickCount() { return GetTickCount(); }

std::int64_t CounterFrequency() {
    LARGE_INTEGER frequency;
    return QueryPerformanceFrequency(&frequency) ? frequency.QuadPart : 0;
}

bool ReadCounter(std::int64_t& ticks) {
    LARGE_INTEGER counter;
    if (!QueryPerformanceCounter(&counter)) return false;
    ticks = counter.QuadPart;
    return true;
}

void WaitForCounter(std::int64_t ticks) {
    if (!state.SleepReady) PrepareSleep();
    const LONGLONG now = Counter();
    if (ticks > now && state.CounterFrequency > 0) SleepShortOf(HundredNanoseconds(ticks - now));
}

void SleepMilliseconds(std::uint32_t milliseconds) {
    if (!state.SleepReady) PrepareSleep();
    if (state.WaitTimer == nullptr || !WaitOnTimer(LONGLONG{milliseconds} * 10000)) {
        Sleep(milliseconds);
    }
}

std::uint32_t* AllocatePixels(std::size_t count) {
    return static_cast<std::uint32_t*>(std::calloc(count, sizeof(std::uint32_t)));
}

void FreePixels(std::uint32_t* pixels) { std::free(pixels); }

void EndProcess(int status) {
    ReleaseSleep();
    ExitProcess(static_cast<UINT>(status));
}

}  // namespace host
