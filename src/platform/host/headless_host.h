// Control panel of the headless host: a host without a screen, for tests, cavesim and
// benchmarks.
//
// Time is virtual. One clock counts 100 ns ticks (the high-resolution counter runs at 10 MHz);
// the millisecond tick is the start tick plus clock / 10000. Only counter reads, waits and
// sleeps advance the clock, so a paced frame costs no real time and every run is repeatable. A
// wait for a counter reading ends just in time: the next read costs the rest.
//
// Keys come from a script applied per keyboard poll. Presented pictures, message boxes and the
// lifecycle calls of the seam are recorded. Failures can be injected into every step that
// start-up checks.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/host/host.h"

namespace host::headless {

// What EndProcess throws: a headless runner never ends the process it shares.
struct ProcessExit {
    int Status = 0;
};

struct Failures {
    bool DisplaySystem = false;    // InitDisplay fails
    bool Keyboard = false;         // OpenKeyboard fails
    bool Window = false;           // CreateHostWindow fails
    bool WindowedDisplay = false;  // AttachDisplay fails
    // The n-th AllocatePixels call since Reset (1-based) fails; 0 = none fails.
    int PixelAllocation = 0;
    bool KeyRead = false;  // every ReadKeys fails (as a lost keyboard device does)
};

// From keyboard poll `Poll` (1-based) on, key `Code` is down or up.
struct KeyEvent {
    std::uint32_t Poll = 0;
    std::uint8_t Code = 0;
    bool Down = false;
};

struct Message {
    std::string Title;
    std::string Text;
};

// Back to a fresh host: clock 0, start tick 0, desktop 1024x768, no failures, no script, every
// key up, focus held, nothing recorded, no hooks, no windows. Pixel blocks still handed out stay
// counted (the platform still holds them), so LivePixelBlocks tells the truth across runs.
void Reset();

void SetStartTick(std::uint32_t tick);
void SetDesktopSize(Size size);
void SetFailures(const Failures& failures);
// Events may come in any order; those naming the same poll apply in the given order.
void SetKeyScript(std::vector<KeyEvent> events);
// Without the focus every key reads as up (the script keeps running underneath).
void SetFocus(bool focused);
// Clock ticks that one counter read costs (default 1000, that is 0.1 ms).
void SetCounterReadCost(std::int64_t ticks);

// Called at the start of every ReadKeys, with the number the coming poll will have.
void SetPollHook(std::function<void(std::uint64_t poll)> hook);
// Called for every message box, before it is recorded as dismissed.
void SetMessageHook(std::function<void(const Message&)> hook);

std::uint64_t PollCount();
std::uint64_t PresentCount();
std::int64_t Clock();
// Counter reads since Reset (successful or not).
std::uint64_t CounterReads();
// The last presented picture (0x00RRGGBB, rows packed) and its size; empty before any present.
const std::vector<std::uint32_t>& LastPicture();
Size LastPictureSize();
// Where the last picture went, relative to the window's outer top-left corner.
Rect LastPresentRect();
const std::vector<Message>& Messages();
// Lifecycle calls in order, e.g. "InitDisplay", "OpenKeyboard", "CreateHostWindow
// WindowClass_0 352 264 320 240", "AttachDisplay 320 240", "AllocatePixels 76800",
// "FreePixels 76800", "DetachDisplay", "CloseKeyboard", "ShutdownDisplay",
// "DestroyHostWindow WindowClass_0", "EndProcess 0".
const std::vector<std::string>& CallLog();
// Pixel blocks handed out and not yet freed.
std::size_t LivePixelBlocks();

}  // namespace host::headless
