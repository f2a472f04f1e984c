// The browser host: the page's <canvas id="game"> is the window, DOM key events are the
// keyboard, the page's dialog is the message box, and every wait hands the main thread back to
// the browser (ASYNCIFY). The only file of the game that includes emscripten headers.
#include "platform/host/web_host.h"

#include <emscripten.h>
#include <emscripten/html5.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "platform/host/host.h"
#include "platform/host/player_keys.h"

namespace host {
namespace {

constexpr const char* kCanvas = "#game";
constexpr WindowId kWindow = 1;
// performance.now() in 100 ns ticks: the same rate as the other hosts. Browsers coarsen the
// clock to 5-100 us, well below the frame period.
constexpr double kTicksPerMillisecond = 10'000.0;
// Browsers stretch timers shorter than this to this when they are chained, as the game's are.
constexpr double kShortestTimer = 4.0;
// A browser timer counts whole milliseconds and fires late: about this much in a quiet page
// (Chromium: 0.1-0.4 ms), and at most this much as far as the frame wait believes.
constexpr double kTimerLateness = 0.2;
constexpr double kLongestLateness = 8.0;
// The frame wait ends in turns of the event loop, which keep the main thread busy: at most this
// long, in milliseconds. Waking later instead costs nothing but lengthens the frame.
constexpr double kLongestTurns = 0.5;
// How often a watched run held still looks whether it may go on, in milliseconds.
constexpr double kHeldStillTurn = 50.0;
// How often a game waiting for its player looks whether the ball is lifted, in milliseconds.
constexpr double kLiftTurn = 8.0;

// How fast a run being watched is shown: the page's 2x, 4x and pause change the pace of the
// frame counter, never what happens in the run. The monotonic clock's pace otherwise.
struct WatchClock {
    double Speed = 1;  // 0: held still
    double RealBase = 0;
    double ShownBase = 0;
};

// Every bit of host state lives here.
struct WebHost {
    bool DisplayUp = false;
    bool KeyboardOpen = false;
    WindowId Window = 0;
    Rect Outer;
    std::int32_t Width = 0;  // of the attached display; 0 when none
    std::int32_t Height = 0;
    std::vector<std::uint32_t> Rgba;  // the picture in canvas byte order
    std::uint8_t Keys[256] = {};
    bool HeldOver[256] = {};  // held when the last game ended, and not released since
    double TickOffset = 0;    // wall clock minus the monotonic clock when the page started, in ms
    WatchClock Clock;
};

WebHost State;

// KeyboardEvent.code to set-1 make codes, E0-prefixed keys as 128 + code: the 104 keys of a
// standard layout. `code` names the physical key, whatever the layout prints on it.
constexpr std::pair<const char*, std::uint8_t> kKeyTable[] = {
    {"Escape", 0x01},
    {"Digit1", 0x02},
    {"Digit2", 0x03},
    {"Digit3", 0x04},
    {"Digit4", 0x05},
    {"Digit5", 0x06},
    {"Digit6", 0x07},
    {"Digit7", 0x08},
    {"Digit8", 0x09},
    {"Digit9", 0x0A},
    {"Digit0", 0x0B},
    {"Minus", 0x0C},
    {"Equal", 0x0D},
    {"Backspace", 0x0E},
    {"Tab", 0x0F},
    {"KeyQ", 0x10},
    {"KeyW", 0x11},
    {"KeyE", 0x12},
    {"KeyR", 0x13},
    {"KeyT", 0x14},
    {"KeyY", 0x15},
    {"KeyU", 0x16},
    {"KeyI", 0x17},
    {"KeyO", 0x18},
    {"KeyP", 0x19},
    {"BracketLeft", 0x1A},
    {"BracketRight", 0x1B},
    {"Enter", 0x1C},
    {"ControlLeft", 0x1D},
    {"KeyA", 0x1E},
    {"KeyS", 0x1F},
    {"KeyD", 0x20},
    {"KeyF", 0x21},
    {"KeyG", 0x22},
    {"KeyH", 0x23},
    {"KeyJ", 0x24},
    {"KeyK", 0x25},
    {"KeyL", 0x26},
    {"Semicolon", 0x27},
    {"Quote", 0x28},
    {"Backquote", 0x29},
    {"ShiftLeft", 0x2A},
    {"Backslash", 0x2B},
    {"KeyZ", 0x2C},
    {"KeyX", 0x2D},
    {"KeyC", 0x2E},
    {"KeyV", 0x2F},
    {"KeyB", 0x30},
    {"KeyN", 0x31},
    {"KeyM", 0x32},
    {"Comma", 0x33},
    {"Period", 0x34},
    {"Slash", 0x35},
    {"ShiftRight", 0x36},
    {"NumpadMultiply", 0x37},
    {"AltLeft", 0x38},
    {"Space", 0x39},
    {"CapsLock", 0x3A},
    {"F1", 0x3B},
    {"F2", 0x3C},
    {"F3", 0x3D},
    {"F4", 0x3E},
    {"F5", 0x3F},
    {"F6", 0x40},
    {"F7", 0x41},
    {"F8", 0x42},
    {"F9", 0x43},
    {"F10", 0x44},
    {"NumLock", 0x45},
    {"ScrollLock", 0x46},
    {"Numpad7", 0x47},
    {"Numpad8", 0x48},
    {"Numpad9", 0x49},
    {"NumpadSubtract", 0x4A},
    {"Numpad4", 0x4B},
    {"Numpad5", 0x4C},
    {"Numpad6", 0x4D},
    {"NumpadAdd", 0x4E},
    {"Numpad1", 0x4F},
    {"Numpad2", 0x50},
    {"Numpad3", 0x51},
    {"Numpad0", 0x52},
    {"NumpadDecimal", 0x53},
    {"IntlBackslash", 0x56},
    {"F11", 0x57},
    {"F12", 0x58},
    {"NumpadEnter", 0x9C},
    {"ControlRight", 0x9D},
    {"NumpadDivide", 0xB5},
    {"PrintScreen", 0xB7},
    {"AltRight", 0xB8},
    {"Pause", 0xC5},
    {"Home", 0xC7},
    {"ArrowUp", 0xC8},
    {"PageUp", 0xC9},
    {"ArrowLeft", 0xCB},
    {"ArrowRight", 0xCD},
    {"End", 0xCF},
    {"ArrowDown", 0xD0},
    {"PageDown", 0xD1},
    {"Insert", 0xD2},
    {"Delete", 0xD3},
    {"MetaLeft", 0xDB},
    {"MetaRight", 0xDC},
    {"ContextMenu", 0xDD},
};

// The keys the page's other inputs can hold, by their bit in PageKeys: player 1's lift, P,
// Escape, then the lifts of players 2 to 4 (a touch strip or a controller each).
constexpr std::pair<int, std::uint8_t> kPageKeys[] = {
    {1, kPlayerKeys[0]},  {2, 0x19},           {4, 0x01}, {8, kPlayerKeys[1]},
    {16, kPlayerKeys[2]}, {32, kPlayerKeys[3]}};

// Keys whose default action scrolls the page; the game keeps them while it has the focus. All
// others keep their browser meaning (reload, tab to the next control, ...).
constexpr std::uint8_t kScrollKeys[] = {0x39, 0xC7, 0xC8, 0xC9, 0xCB, 0xCD, 0xCF, 0xD0, 0xD1};

// 0 for a key the table does not know.
std::uint8_t ScanCode(const char* code) {
    for (const auto& [name, scan] : kKeyTable) {
        if (std::strcmp(name, code) == 0) return scan;
    }
    return 0;
}

bool Scrolls(std::uint8_t scan) {
    for (const std::uint8_t key : kScrollKeys) {
        if (key == scan) return true;
    }
    return false;
}

// A key still held from the last game only repeats: it is ignored until it is released or
// pressed anew, so that nothing held carries over from one game to the next.
EM_BOOL OnKey(int eventType, const EmscriptenKeyboardEvent* event, void* /*userData*/) {
    const std::uint8_t scan = ScanCode(event->code);
    if (scan == 0) return EM_FALSE;
    const bool down = eventType == EMSCRIPTEN_EVENT_KEYDOWN;
    if (!down || event->repeat == 0) State.HeldOver[scan] = false;
    if (!State.HeldOver[scan]) State.Keys[scan] = down ? 0x80 : 0;
    return Scrolls(scan) ? EM_TRUE : EM_FALSE;
}

// Key-ups that happen elsewhere never reach the game: a key held while the focus leaves would
// stay down for ever.
void ReleaseAllKeys() { std::memset(State.Keys, 0, sizeof State.Keys); }

EM_BOOL OnBlur(int /*eventType*/, const EmscriptenFocusEvent* /*event*/, void* /*userData*/) {
    ReleaseAllKeys();
    return EM_FALSE;
}

EM_BOOL OnVisibility(int /*eventType*/, const EmscriptenVisibilityChangeEvent* event,
                     void* /*userData*/) {
    if (event->hidden) ReleaseAllKeys();
    return EM_FALSE;
}

// clang-format off
EM_JS(int, PageHasCanvas, (), {
    return document.querySelector('#game') instanceof HTMLCanvasElement ? 1 : 0;
});

EM_JS(int, ViewportWidth, (), { return window.innerWidth | 0; });
EM_JS(int, ViewportHeight, (), { return window.innerHeight | 0; });

// The picture goes to a canvas of its own size, which the page (Module.showPicture) draws on
// the game's canvas at the scale that fits the screen. The picture's ImageData is a view of the
// game's memory, made again only when that memory has moved.
EM_JS(void, PutPicture, (const void* rgba, int width, int height, int left, int top, int right,
                         int bottom), {
    let image = Module.gamePicture;
    if (!image || image.data.buffer !== HEAPU8.buffer || image.data.byteOffset !== rgba ||
        image.width !== width || image.height !== height) {
        const bytes = new Uint8ClampedArray(HEAPU8.buffer, rgba, width * height * 4);
        image = Module.gamePicture = new ImageData(bytes, width, height);
    }
    let picture = Module.pictureCanvas;
    if (!picture || picture.width !== width || picture.height !== height) {
        picture = Module.pictureCanvas = document.createElement('canvas');
        picture.width = width;
        picture.height = height;
    }
    picture.getContext('2d').putImageData(image, 0, 0);
    if (typeof Module.showPicture === 'function') {
        Module.showPicture(picture, left, top, right, bottom);
        return;
    }
    const context = document.querySelector('#game').getContext('2d');
    context.imageSmoothingEnabled = false;
    context.drawImage(picture, left, top, right - left, bottom - top);
});

// The page's modal dialog; the game waits here until the player dismisses it.
EM_ASYNC_JS(int, AwaitPageDialog, (const char* title, const char* text), {
    if (typeof Module.showMessage !== 'function') return 0;
    await Module.showMessage(UTF8ToString(title), UTF8ToString(text));
    return 1;
});

EM_JS(double, WallClock, (), { return Date.now(); });

// The keys the page holds (pointer, touch buttons, controllers) as kPageKeys bits, given the
// keyboard's: the page follows the game's pause from them.
EM_JS(int, PageKeys, (int keyboard), {
    return typeof Module.pageKeys === 'function' ? Module.pageKeys(keyboard) : 0;
});

// The page answers when the player wants another game, with what it is to be; without a page
// there is none. The answer is a string on the heap for the caller to free.
EM_ASYNC_JS(char*, AwaitPageNewGame, (int status, const char* payload, double seed,
                                      const char* cave, int points, int watched, int players), {
    if (typeof Module.onGameEnd !== 'function') await new Promise(() => {});
    const request = await Module.onGameEnd(status, {
        payload: UTF8ToString(payload),
        seed,
        cave: UTF8ToString(cave),
        points: points < 0 ? null : points,
        watched: watched !== 0,
        players,
    });
    return allocateUTF8(request || "");
});

EM_ASYNC_JS(char*, PageFirstGame, (), {
    const request = typeof Module.firstGame === 'function' ? await Module.firstGame() : "";
    return allocateUTF8(request || "");
});

// Whether the page holds a lift of the game's `players` (a pointer on the play area, a pad) or
// has asked for another game, and its prompt while a new game waits for it.
EM_JS(int, PageHoldsLift, (int players), {
    return typeof Module.holdsLift === 'function' && Module.holdsLift(players) ? 1 : 0;
});

EM_JS(void, PageAwaitsLift, (int waiting), {
    if (typeof Module.awaitsLift === 'function') Module.awaitsLift(waiting !== 0);
});

// A message to ourselves: one turn of the browser's event loop, where a zero timeout would be
// stretched to 4 ms once chained.
EM_JS(void, OpenTurnChannel, (), {
    Module.turnChannel = new MessageChannel();
    Module.turnChannel.port1.onmessage = () => Module.turnDone();
});

// Gives the main thread back to the browser: for `milliseconds` on a timer, or for 0 just one
// turn of its event loop.
EM_ASYNC_JS(void, YieldToBrowser, (double milliseconds), {
    await new Promise((resolve) => {
        if (milliseconds > 0) {
            setTimeout(resolve, milliseconds);
            return;
        }
        Module.turnDone = resolve;
        Module.turnChannel.port2.postMessage(0);
    });
});

// Gives the main thread back until performance.now() reaches `deadline`, waking the game once:
// a timer set for the whole milliseconds that end at most `longestTurns` before the deadline,
// then turns of the event loop, taken here in the page, for what is left. How late timers fire
// is learnt as the game goes: 0.1-0.4 ms in a quiet page, several milliseconds while input
// events stream in (Chromium runs input first).
EM_ASYNC_JS(void, SleepUntil, (double deadline, double firstLateness, double longestLateness,
                               double longestTurns, double shortestTimer), {
    if (Module.timerLateness === undefined) Module.timerLateness = firstLateness;
    await new Promise((resolve) => {
        const turn = () => {
            if (performance.now() >= deadline) {
                resolve();
                return;
            }
            Module.turnDone = turn;
            Module.turnChannel.port2.postMessage(0);
        };
        const start = performance.now();
        const timer = Math.ceil(deadline - start - Module.timerLateness - longestTurns);
        if (timer < shortestTimer) {
            turn();
            return;
        }
        setTimeout(() => {
            const late = Math.min(performance.now() - start - timer, longestLateness);
            Module.timerLateness += (Math.max(late, 0) - Module.timerLateness) / 4;
            turn();
        }, timer);
    });
});
// clang-format on

// The canvas byte order is R, G, B, A; the game's pixels are 0x00RRGGBB words. Done on two
// pixels at once, as one 64-bit word: one at a time it was a fifth of the frame's own work.
std::uint64_t ToCanvasOrder(std::uint64_t pixels) {
    constexpr std::uint64_t kBlue = 0x000000FF000000FFu;
    constexpr std::uint64_t kGreen = 0x0000FF000000FF00u;
    constexpr std::uint64_t kOpaque = 0xFF000000FF000000u;
    return kOpaque | ((pixels & kBlue) << 16) | (pixels & kGreen) | ((pixels >> 16) & kBlue);
}

void ToCanvasPixels(const std::uint32_t* pixels, std::uint32_t* rgba, std::size_t count) {
    std::size_t i = 0;
    for (; i + 2 <= count; i += 2) {
        std::uint64_t two = 0;
        std::memcpy(&two, pixels + i, sizeof two);
        two = ToCanvasOrder(two);
        std::memcpy(rgba + i, &two, sizeof two);
    }
    if (i < count) rgba[i] = static_cast<std::uint32_t>(ToCanvasOrder(pixels[i]));
}

double MonotonicMilliseconds() { return emscripten_get_now(); }

// The frame counter's time: the monotonic clock, at the pace a watched run is shown at.
double ShownMilliseconds() {
    const WatchClock& clock = State.Clock;
    return clock.ShownBase + (MonotonicMilliseconds() - clock.RealBase) * clock.Speed;
}

std::string TakePageString(char* text) {
    std::string taken = text != nullptr ? text : "";
    std::free(text);
    return taken;
}

}  // namespace

bool InitDisplay() {
    if (PageHasCanvas() == 0) return false;
    OpenTurnChannel();
    State.DisplayUp = true;
    return true;
}

void ShutdownDisplay() {
    DetachDisplay();
    State.DisplayUp = false;
}

// The page's viewport stands in for the desktop: the game centres its window on it.
Size DesktopSize() { return {ViewportWidth(), ViewportHeight()}; }

// The canvas has no frame.
Rect FrameInsets(std::uint32_t /*style*/) { return {}; }

// The page holds one canvas; it is the game's only window.
WindowId CreateHostWindow(const WindowRequest& request) {
    if (!State.DisplayUp || State.Window != 0) return 0;
    State.Window = kWindow;
    State.Outer = {request.X, request.Y, request.X + request.Width, request.Y + request.Height};
    return State.Window;
}

void DestroyHostWindow(WindowId window) {
    if (window == State.Window) State.Window = 0;
}

// The page is the game's window for as long as it exists; where the keyboard focus is decides
// only which keys the game sees.
WindowId ActiveWindow() { return State.Window; }

Rect WindowRect(WindowId window) { return window == State.Window ? State.Outer : Rect{}; }

bool AttachDisplay(WindowId window, std::int32_t width, std::int32_t height) {
    if (window == 0 || window != State.Window || width <= 0 || height <= 0) return false;
    State.Rgba.assign(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), 0);
    State.Width = width;
    State.Height = height;
    return true;
}

void DetachDisplay() {
    State.Rgba = {};
    State.Width = 0;
    State.Height = 0;
}

void Present(const std::uint32_t* pixels, std::int32_t width, std::int32_t height, Rect dest) {
    if (width != State.Width || height != State.Height) return;
    ToCanvasPixels(pixels, State.Rgba.data(), State.Rgba.size());
    PutPicture(State.Rgba.data(), width, height, dest.Left, dest.Top, dest.Right, dest.Bottom);
}

bool OpenKeyboard() {
    if (!State.DisplayUp) return false;
    ReleaseAllKeys();
    emscripten_set_keydown_callback(kCanvas, nullptr, EM_TRUE, OnKey);
    emscripten_set_keyup_callback(kCanvas, nullptr, EM_TRUE, OnKey);
    emscripten_set_blur_callback(kCanvas, nullptr, EM_TRUE, OnBlur);
    emscripten_set_blur_callback(EMSCRIPTEN_EVENT_TARGET_WINDOW, nullptr, EM_TRUE, OnBlur);
    emscripten_set_visibilitychange_callback(nullptr, EM_TRUE, OnVisibility);
    State.KeyboardOpen = true;
    return true;
}

void CloseKeyboard() {
    if (!State.KeyboardOpen) return;
    emscripten_html5_remove_all_event_listeners();
    for (std::size_t scan = 0; scan < sizeof State.Keys; ++scan) {
        State.HeldOver[scan] = State.Keys[scan] != 0;
    }
    ReleaseAllKeys();
    State.KeyboardOpen = false;
}

// A key is down while any source holds it: the keyboard, or one of the page's.
bool ReadKeys(std::uint8_t keys[256]) {
    if (!State.KeyboardOpen) return false;
    std::memcpy(keys, State.Keys, sizeof State.Keys);
    int keyboard = 0;
    for (const auto& [bit, scan] : kPageKeys) {
        if ((keys[scan] & 0x80) != 0) keyboard |= bit;
    }
    const int page = PageKeys(keyboard);
    for (const auto& [bit, scan] : kPageKeys) {
        if ((page & bit) != 0) keys[scan] = 0x80;
    }
    return true;
}

void ShowMessage(const char* title, const char* text) {
    if (AwaitPageDialog(title, text) == 0) {
        // An error must never pass silently, even where no box can be shown.
        std::fprintf(stderr, "%s: %s\n", title, text);
    }
}

// The browser's console: a page has no terminal, and its game reads no command line.
void TellUser(const char* text, bool error) { std::fputs(text, error ? stderr : stdout); }

// The page scales the canvas itself, by whole multiples that fit the window.
std::int32_t DesktopScale() { return 1; }

// The wall clock makes each game differ; the monotonic clock keeps the count steady when the
// wall clock is set.
std::uint32_t TickCount() {
    if (State.TickOffset == 0) State.TickOffset = WallClock() - MonotonicMilliseconds();
    const double now = State.TickOffset + MonotonicMilliseconds();
    return static_cast<std::uint32_t>(static_cast<std::uint64_t>(now));
}

std::int64_t CounterFrequency() { return static_cast<std::int64_t>(kTicksPerMillisecond * 1000); }

bool ReadCounter(std::int64_t& ticks) {
    ticks = static_cast<std::int64_t>(ShownMilliseconds() * kTicksPerMillisecond);
    return true;
}

// A watched run held still comes back now and then, to find the counter where it was.
void WaitForCounter(std::int64_t ticks) {
    if (State.Clock.Speed <= 0) {
        YieldToBrowser(kHeldStillTurn);
        return;
    }
    std::int64_t now = 0;
    ReadCounter(now);
    if (ticks <= now) return;
    const double shown = static_cast<double>(ticks - now) / kTicksPerMillisecond;
    SleepUntil(MonotonicMilliseconds() + shown / State.Clock.Speed, kTimerLateness,
               kLongestLateness, kLongestTurns, kShortestTimer);
}

// The game resumes here when the time is up; the page runs meanwhile.
void SleepMilliseconds(std::uint32_t milliseconds) {
    while (State.Clock.Speed <= 0) YieldToBrowser(kHeldStillTurn);
    YieldToBrowser(milliseconds / State.Clock.Speed);
}

std::uint32_t* AllocatePixels(std::size_t count) {
    return static_cast<std::uint32_t*>(std::calloc(count, sizeof(std::uint32_t)));
}

void FreePixels(std::uint32_t* pixels) { std::free(pixels); }

// The browser's program never ends the page (web/main.cpp); should anything try, the game stops
// here and the page stays as it is.
[[noreturn]] void EndProcess(int /*status*/) {
    for (;;) YieldToBrowser(60'000);
}

namespace web {

// The page sets the pace of a watched run (0 holds it still) and sets it back to 1 after.
extern "C" void cave_set_watch_speed(double speed) {
    const double shown = ShownMilliseconds();
    State.Clock = {speed > 0 ? speed : 0, MonotonicMilliseconds(), shown};
}

// Any player's key lifts its ball and starts the game for all.
bool KeyboardLifts(int players) {
    for (int n = 0; n < players && n < kMaxPlayers; ++n) {
        if ((State.Keys[kPlayerKeys[n]] & 0x80) != 0) return true;
    }
    return false;
}

void AwaitLift(int players) {
    PageAwaitsLift(1);
    while (!KeyboardLifts(players) && PageHoldsLift(players) == 0) YieldToBrowser(kLiftTurn);
    PageAwaitsLift(0);
}

std::string FirstGameRequest() { return TakePageString(PageFirstGame()); }

std::string AwaitNewGame(const EndedGame& game) {
    return TakePageString(AwaitPageNewGame(game.Status, game.Payload.c_str(),
                                           static_cast<double>(game.Seed), game.Cave.c_str(),
                                           game.Points, game.Watched ? 1 : 0, game.Players));
}

}  // namespace web
}  // namespace host
