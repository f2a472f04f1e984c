// The seam between the game's platform layer and an operating system.
//
// These are the only OS services the game needs. Exactly one host implements them per
// executable: headless_host.cpp (tests, cavesim, benchmarks), sdl/sdl_host.cpp (Linux desktop)
// or win32/win32_host.cpp (Windows desktop). Only src/platform/ includes this header.
//
// Each host keeps all of its state in one struct in its own file. Failures are reported by
// return values, never by messages.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace host {

// Opaque window handle; 0 means "no window".
using WindowId = std::uintptr_t;

struct Rect {
    std::int32_t Left = 0;
    std::int32_t Top = 0;
    std::int32_t Right = 0;
    std::int32_t Bottom = 0;
};

struct Size {
    std::int32_t Width = 0;
    std::int32_t Height = 0;
};

// Window style bits, as the Win32 window manager numbers them; the platform layer decodes the
// game's flags into these.
inline constexpr std::uint32_t kStylePopup = 0x80000000u;
inline constexpr std::uint32_t kStyleVisible = 0x10000000u;
inline constexpr std::uint32_t kStyleCaption = 0x00C00000u;

struct WindowRequest {
    const char* ClassName = "";  // "WindowClass_0" for the game's window
    std::int32_t X = 0;          // outer top-left corner, desktop coordinates
    std::int32_t Y = 0;
    std::int32_t Width = 0;  // outer size
    std::int32_t Height = 0;
    std::uint32_t Style = 0;  // kStyle* bits
    const char* Title = "";
};

// --- Display and windows --------------------------------------------------------------------

// Brings up the display system. False when there is no usable screen.
bool InitDisplay();
// Tears the display system down again; safe to call when InitDisplay failed or never ran.
void ShutdownDisplay();

// Size of the desktop in pixels.
Size DesktopSize();

// The frame a window of this style adds around its client area, as AdjustWindowRect reports it
// for the empty rectangle: Left and Top <= 0, Right and Bottom >= 0.
Rect FrameInsets(std::uint32_t style);

// Creates (and, with kStyleVisible, shows) a top-level window. Returns 0 on failure.
WindowId CreateHostWindow(const WindowRequest& request);
// Destroys the window and unregisters its class.
void DestroyHostWindow(WindowId window);
// The window that has the keyboard focus among this program's windows, or 0.
WindowId ActiveWindow();
// Outer rectangle of the window in desktop coordinates.
Rect WindowRect(WindowId window);

// Binds the double-buffered display to the window: after this, Present shows pictures there.
// False when the window cannot take a display of that size.
bool AttachDisplay(WindowId window, std::int32_t width, std::int32_t height);
// Unbinds the display from its window (the window stays open).
void DetachDisplay();

// Shows a 32-bit 0x00RRGGBB picture of width x height pixels (rows packed, no padding) in the
// display's window. `dest` is relative to the window's outer top-left corner; when its size
// differs from the picture's, the host scales. Also drains the window's pending events, so the
// window stays responsive during play.
void Present(const std::uint32_t* pixels, std::int32_t width, std::int32_t height, Rect dest);

// --- Keyboard -------------------------------------------------------------------------------

// Opens the keyboard source. False when there is none.
bool OpenKeyboard();
void CloseKeyboard();
// Drains pending window events, then fills `keys` with the down state of the 256 set-1 scan
// codes (E0-prefixed keys + 128: Escape 1, P 25, Up 200): 0x80 when down, 0 when up. A window
// without the keyboard focus has every key up. False when the source cannot be read; `keys` is
// then left as it was.
bool ReadKeys(std::uint8_t keys[256]);

// --- Before the window ----------------------------------------------------------------------
// Only the desktop hosts have these: theirs are the programs that read a command line.

// The program's arguments, argv[0] first, in UTF-8: main's own where the system hands them over
// so, Windows' UTF-16 command line there.
std::vector<std::string> ProgramArguments(int argc, char** argv);
// Text (UTF-8) for whoever started the program: their terminal (standard error when `error`), else
// a message box titled with the program's name.
void TellUser(const char* text, bool error);
// Whole screen pixels per game pixel matching the desktop's scaling, at least 1.
std::int32_t DesktopScale();
// Whether the game's window opens in full screen (the picture at the largest whole multiple
// that fits, centred on black). Alt+Enter and F11 switch at any moment; they are the host's
// keys and never reach the key table.
void SetStartFullScreen(bool fullScreen);

// --- Messages, time, memory, exit -----------------------------------------------------------

// Modal message box with one OK button, owned by the foreground window; returns when dismissed.
// Where no box can be shown, title and text go to standard error instead.
void ShowMessage(const char* title, const char* text);

// Milliseconds since an arbitrary start, wrapping at 2^32.
std::uint32_t TickCount();
// Ticks per second of the high-resolution counter; 0 when there is none.
std::int64_t CounterFrequency();
// Reads the high-resolution counter. False when the read failed.
bool ReadCounter(std::int64_t& ticks);
// Gives the processor away until about the moment the counter reads `ticks` (a ReadCounter
// value), waking early rather than late: by as much as the host's own timer can oversleep, so
// that the caller watches the counter for the rest. Returns at once when that moment has
// passed. In virtual time the wait is exact: the next reading is `ticks`.
void WaitForCounter(std::int64_t ticks);
// Gives the processor away for about `milliseconds`.
void SleepMilliseconds(std::uint32_t milliseconds);

// Zero-filled memory for `count` pixels; nullptr when it cannot be had.
std::uint32_t* AllocatePixels(std::size_t count);
void FreePixels(std::uint32_t* pixels);

// Ends the process with this exit status; only the real program's main calls it, as the game
// returns its own. The headless host, which has no process to end, throws
// host::headless::ProcessExit.
[[noreturn]] void EndProcess(int status);

}  // namespace host
