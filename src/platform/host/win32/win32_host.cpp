// Windows host: a Win32 window, pictures through GDI, keys from the window's own key messages,
// the left mouse button and XInput pads. Needs nothing beyond the DLLs every Windows has
// (KERNEL32, USER32, GDI32, WINMM); XInput is loaded when there.
#include <windows.h>
// after windows.h, which it needs
#include <shellapi.h>
#include <timeapi.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "platform/host/full_screen.h"
#include "platform/host/host.h"
#include "platform/host/key_codes.h"
#include "platform/host/wake_margin.h"
#include "platform/host/win32/win32_full_screen.h"
#include "platform/host/win32/win32_pad.h"
#include "platform/host/win32/win32_text.h"

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

// A finger held on a touch screen would wait for Windows' press-and-hold gesture (a right click)
// before it reached the window as a mouse button: the game wants it at once.
constexpr wchar_t kTabletProperty[] = L"MicrosoftTabletPenServiceProperty";
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
    win32::FullScreen FullScreen;
    win32::Pads Pads;
};

// Every bit of host state lives here.
Win32Host State;

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
    std::memset(State.Keys, 0, sizeof State.Keys);
    State.PointerHeld = false;
}

// The full screen keys are the host's, never the game's.
void OnKeyDown(HWND window, LPARAM lParam) {
    const std::uint8_t code = KeyCode(lParam);
    const bool altHeld = (lParam & (LPARAM{1} << 29)) != 0;
    if (!SwitchesFullScreen(code, altHeld)) {
        State.Keys[code] = kKeyDown;
        return;
    }
    const bool repeated = (lParam & (LPARAM{1} << 30)) != 0;  // held: one switch per press
    if (!repeated && window == State.DisplayWindow) {
        win32::ToggleFullScreen(State.FullScreen, window);
    }
}

LRESULT CALLBACK WindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CLOSE:  // the game decides when it ends, not the close button or Alt+F4
            return 0;
        case WM_KEYDOWN:
        case WM_SYSKEYDOWN:
            OnKeyDown(window, lParam);
            return 0;
        case WM_KEYUP:
        case WM_SYSKEYUP:  // swallowed so that Alt or F10 never starts a modal menu loop
            State.Keys[KeyCode(lParam)] = 0;
            return 0;
        case WM_LBUTTONDOWN:
            SetCapture(window);  // the button-up comes here even when let go elsewhere
            State.PointerHeld = true;
            return 0;
        case WM_LBUTTONUP:
            ReleaseCapture();
            State.PointerHeld = false;
            return 0;
        case WM_CAPTURECHANGED:  // another window took the mouse: the button-up will not come
            State.PointerHeld = false;
            break;
        case WM_DEVICECHANGE:  // perhaps a pad plugged in
            win32::RecheckPads(State.Pads);
            break;
        case WM_KILLFOCUS:
            ReleaseAllKeys();  // the key-up messages will go to another window
            break;
        case WM_ACTIVATE:
            if (LOWORD(wParam) == WA_INACTIVE) ReleaseAllKeys();
            break;
        case WM_ERASEBKGND:  // the next Present covers the whole area; no grey flash meanwhile
            if (window == State.DisplayWindow) return 1;
            break;
        default:
            break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

// Keeps the window responsive and the key table current; the game never sees a message.
void DrainMessages() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
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
    return State.DisplayWindow != nullptr && GetForegroundWindow() == State.DisplayWindow;
}

// A high-resolution waitable timer sleeps to within about a millisecond; without one, a raised
// system timer resolution makes Sleep that precise. Chosen once, on the first sleep.
void PrepareSleep() {
    State.SleepReady = true;
    LARGE_INTEGER frequency;
    State.CounterFrequency = QueryPerformanceFrequency(&frequency) ? frequency.QuadPart : 0;
    State.WaitTimer = CreateWaitableTimerExW(nullptr, nullptr, kCreateWaitableTimerHighResolution,
                                             TIMER_ALL_ACCESS);
    if (State.WaitTimer == nullptr) State.TimerPeriodRaised = timeBeginPeriod(1) == TIMERR_NOERROR;
}

void ReleaseSleep() {
    if (State.WaitTimer != nullptr) CloseHandle(State.WaitTimer);
    if (State.TimerPeriodRaised) timeEndPeriod(1);
    State.WaitTimer = nullptr;
    State.TimerPeriodRaised = false;
    State.SleepReady = false;
}

bool WaitOnTimer(LONGLONG hundredNanoseconds) {
    LARGE_INTEGER due;
    due.QuadPart = -hundredNanoseconds;  // negative: relative to now
    return SetWaitableTimer(State.WaitTimer, &due, 0, nullptr, nullptr, FALSE) &&
           WaitForSingleObject(State.WaitTimer, INFINITE) == WAIT_OBJECT_0;
}

LONGLONG Counter() {
    LARGE_INTEGER counter;
    return QueryPerformanceCounter(&counter) ? counter.QuadPart : 0;
}

LONGLONG HundredNanoseconds(LONGLONG counterTicks) {
    return counterTicks * 10'000'000 / State.CounterFrequency;
}

// Sleeps `hundredNanoseconds`, less what the chosen mechanism may oversleep, so that the caller
// spins only the rest.
void SleepShortOf(LONGLONG hundredNanoseconds) {
    if (State.WaitTimer != nullptr) {
        const LONGLONG span = hundredNanoseconds - State.TimerMargin;
        if (span <= 0) return;
        const LONGLONG start = Counter();
        if (WaitOnTimer(span)) {
            const LONGLONG lateness = HundredNanoseconds(Counter() - start) - span;
            State.TimerMargin = NextWakeMargin(State.TimerMargin, lateness, kTimerMargins);
            return;
        }
    }
    const LONGLONG milliseconds = (hundredNanoseconds - kSleepMargin) / 10000;
    if (milliseconds > 0) Sleep(static_cast<DWORD>(milliseconds));
}

bool WriteBytes(HANDLE out, const char* bytes, DWORD left) {
    while (left > 0) {
        DWORD written = 0;
        if (!WriteFile(out, bytes, left, &written, nullptr) || written == 0) return false;
        bytes += written;
        left -= written;
    }
    return true;
}

// A console shows UTF-16 as it is; a pipe or a file gets the UTF-8 bytes, which is what a
// reader on the other end can take apart without knowing this machine's code page. False when
// there is no such handle or it takes no writing.
bool WriteText(HANDLE out, const std::string& text) {
    if (out == nullptr || out == INVALID_HANDLE_VALUE) return false;
    DWORD mode = 0;
    if (!GetConsoleMode(out, &mode)) {
        return WriteBytes(out, text.data(), static_cast<DWORD>(text.size()));
    }
    const std::wstring wide = win32::Wide(text);
    DWORD written = 0;
    return WriteConsoleW(out, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr) &&
           written == wide.size();
}

// The console of the program that started this one, for as long as it takes to write there.
bool WriteToParentConsole(const std::string& text) {
    if (!AttachConsole(ATTACH_PARENT_PROCESS)) return false;
    HANDLE console = CreateFileW(L"CONOUT$", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                 nullptr, OPEN_EXISTING, 0, nullptr);
    const bool written = WriteText(console, text);
    if (console != INVALID_HANDLE_VALUE) CloseHandle(console);
    FreeConsole();
    return written;
}

}  // namespace

// --- Before the window ----------------------------------------------------------------------

// A windowed program has no console of its own: the text goes to the handles it was given (a
// pipe or a file), else to the console it was started from, else into a box.
void TellUser(const char* text, bool error) {
    if (WriteText(GetStdHandle(error ? STD_ERROR_HANDLE : STD_OUTPUT_HANDLE), text)) return;
    if (WriteToParentConsole(text)) return;
    MessageBoxW(nullptr, win32::Wide(text).c_str(), L"cave",
                MB_OK | (error ? MB_ICONERROR : MB_ICONINFORMATION));
}

// Windows' own UTF-16 command line: the narrow argv would have put every character outside the
// system's code page as '?'.
std::vector<std::string> ProgramArguments(int argc, char** argv) {
    int count = 0;
    LPWSTR* words = CommandLineToArgvW(GetCommandLineW(), &count);
    if (words == nullptr) return {argv, argv + argc};
    std::vector<std::string> arguments;
    for (int i = 0; i < count; ++i) arguments.push_back(win32::Utf8(words[i]));
    LocalFree(words);
    return arguments;
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

void SetStartFullScreen(bool fullScreen) { State.StartFullScreen = fullScreen; }

// --- Display and windows --------------------------------------------------------------------

bool InitDisplay() {
    State.Instance = GetModuleHandleW(nullptr);
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
    const std::wstring className = win32::Wide(request.ClassName);
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = WindowProcedure;
    windowClass.hInstance = State.Instance;
    windowClass.hIcon = LoadIconW(State.Instance, MAKEINTRESOURCEW(1));  // the game's icon
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = className.c_str();
    if (RegisterClassW(&windowClass) == 0) return 0;

    HWND window = CreateWindowExW(0, className.c_str(), win32::Wide(request.Title).c_str(),
                                  request.Style, request.X, request.Y, request.Width,
                                  request.Height, nullptr, nullptr, State.Instance, nullptr);
    if (window == nullptr) UnregisterClassW(className.c_str(), State.Instance);
    return reinterpret_cast<WindowId>(window);
}

void DestroyHostWindow(WindowId window) {
    wchar_t className[256] = {};
    const bool named = GetClassNameW(AsHandle(window), className, std::size(className)) > 0;
    if (AsHandle(window) == State.DisplayWindow) DetachDisplay();
    DestroyWindow(AsHandle(window));
    if (named) UnregisterClassW(className, State.Instance);
}

WindowId ActiveWindow() { return reinterpret_cast<WindowId>(GetActiveWindow()); }

Rect WindowRect(WindowId window) {
    RECT outer{};
    GetWindowRect(AsHandle(window), &outer);
    return {outer.left, outer.top, outer.right, outer.bottom};
}

bool AttachDisplay(WindowId window, std::int32_t width, std::int32_t height) {
    if (!IsWindow(AsHandle(window)) || width <= 0 || height <= 0) return false;
    State.DisplayWindow = AsHandle(window);
    SetPropW(State.DisplayWindow, kTabletProperty,
             reinterpret_cast<HANDLE>(kNoPressAndHoldNorFlicks));
    ShowWindow(State.DisplayWindow, SW_SHOWNORMAL);  // also activates it: keys come to it
    if (State.StartFullScreen && !win32::IsFullScreen(State.FullScreen, State.DisplayWindow)) {
        win32::ToggleFullScreen(State.FullScreen, State.DisplayWindow);
    }
    return true;
}

void DetachDisplay() {
    if (State.DisplayWindow == nullptr) return;
    win32::LeaveFullScreen(State.FullScreen, State.DisplayWindow);
    RemovePropW(State.DisplayWindow, kTabletProperty);
    State.DisplayWindow = nullptr;
}

void Present(const std::uint32_t* pixels, std::int32_t width, std::int32_t height, Rect dest) {
    DrainMessages();
    if (State.DisplayWindow == nullptr) return;
    HDC context = GetWindowDC(State.DisplayWindow);  // origin at the outer top-left, as `dest`
    if (context == nullptr) return;
    if (win32::IsFullScreen(State.FullScreen, State.DisplayWindow)) {
        const RECT place = win32::PlaceOnBlack(State.DisplayWindow, context, width, height);
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
    ReleaseDC(State.DisplayWindow, context);
}

// --- Keyboard -------------------------------------------------------------------------------

bool OpenKeyboard() {
    ReleaseAllKeys();
    win32::OpenPads(State.Pads);
    State.KeyboardOpen = true;
    return true;
}

void CloseKeyboard() {
    win32::ClosePads(State.Pads);
    State.KeyboardOpen = false;
}

// A key is down while any source holds it: the keyboard, the pointer or a pad. Without the focus
// the first two have let go already, and the pads are not asked.
bool ReadKeys(std::uint8_t keys[256]) {
    if (!State.KeyboardOpen) return false;
    DrainMessages();
    std::memcpy(keys, State.Keys, sizeof State.Keys);
    if (State.PointerHeld) keys[kKeyUp] = kKeyDown;
    if (DisplayHasFocus()) win32::HoldKeysOfPads(State.Pads, keys);
    return true;
}

// --- Messages, time, memory, exit -----------------------------------------------------------

void ShowMessage(const char* title, const char* text) {
    const std::wstring wideText = win32::Wide(text);
    if (MessageBoxW(GetForegroundWindow(), wideText.c_str(), win32::Wide(title).c_str(), MB_OK) ==
        0) {
        WriteText(GetStdHandle(STD_ERROR_HANDLE), std::string(title) + "\n" + text + "\n");
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
    if (!State.SleepReady) PrepareSleep();
    const LONGLONG now = Counter();
    if (ticks > now && State.CounterFrequency > 0) SleepShortOf(HundredNanoseconds(ticks - now));
}

void SleepMilliseconds(std::uint32_t milliseconds) {
    if (!State.SleepReady) PrepareSleep();
    if (State.WaitTimer == nullptr || !WaitOnTimer(LONGLONG{milliseconds} * 10000)) {
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
