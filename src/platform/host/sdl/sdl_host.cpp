// The desktop host on SDL2: one real window, SDL's keyboard state with the mouse, fingers and
// pads merged in (sdl_input.cpp); its clocks are Linux's own (linux_clock.cpp). Its files
// (sdl_*.cpp) are the only ones of the game that include SDL.
#include <SDL.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <utility>

#include "platform/host/full_screen.h"
#include "platform/host/host.h"
#include "platform/host/sdl/sdl_input.h"
#include "platform/host/sdl/sdl_present.h"
#include "platform/host/sdl/sdl_x11.h"
#include "window_icon.h"

namespace host {
namespace {

// Every bit of host state lives here.
struct SdlHost {
    bool VideoUp = false;
    bool KeyboardOpen = false;
    Uint32 WindowId = 0;  // SDL's id of the game window; 0 when none
    SdlPresenter Presenter;
    SdlX11 X11;
    SdlInput Input;
    bool StartFullScreen = false;  // the player's --fullscreen
    bool FullScreen = false;       // the game window covers the screen now
    SDL_Rect Windowed{};           // where the window was, when the host covered the screen
};

SdlHost State;

// SDL scan codes (USB usage ids) to set-1 make codes, E0-prefixed keys as 128 + code: the 104
// keys of a standard layout.
constexpr std::pair<SDL_Scancode, std::uint8_t> kKeyTable[] = {
    {SDL_SCANCODE_ESCAPE, 0x01},
    {SDL_SCANCODE_1, 0x02},
    {SDL_SCANCODE_2, 0x03},
    {SDL_SCANCODE_3, 0x04},
    {SDL_SCANCODE_4, 0x05},
    {SDL_SCANCODE_5, 0x06},
    {SDL_SCANCODE_6, 0x07},
    {SDL_SCANCODE_7, 0x08},
    {SDL_SCANCODE_8, 0x09},
    {SDL_SCANCODE_9, 0x0A},
    {SDL_SCANCODE_0, 0x0B},
    {SDL_SCANCODE_MINUS, 0x0C},
    {SDL_SCANCODE_EQUALS, 0x0D},
    {SDL_SCANCODE_BACKSPACE, 0x0E},
    {SDL_SCANCODE_TAB, 0x0F},
    {SDL_SCANCODE_Q, 0x10},
    {SDL_SCANCODE_W, 0x11},
    {SDL_SCANCODE_E, 0x12},
    {SDL_SCANCODE_R, 0x13},
    {SDL_SCANCODE_T, 0x14},
    {SDL_SCANCODE_Y, 0x15},
    {SDL_SCANCODE_U, 0x16},
    {SDL_SCANCODE_I, 0x17},
    {SDL_SCANCODE_O, 0x18},
    {SDL_SCANCODE_P, 0x19},
    {SDL_SCANCODE_LEFTBRACKET, 0x1A},
    {SDL_SCANCODE_RIGHTBRACKET, 0x1B},
    {SDL_SCANCODE_RETURN, 0x1C},
    {SDL_SCANCODE_LCTRL, 0x1D},
    {SDL_SCANCODE_A, 0x1E},
    {SDL_SCANCODE_S, 0x1F},
    {SDL_SCANCODE_D, 0x20},
    {SDL_SCANCODE_F, 0x21},
    {SDL_SCANCODE_G, 0x22},
    {SDL_SCANCODE_H, 0x23},
    {SDL_SCANCODE_J, 0x24},
    {SDL_SCANCODE_K, 0x25},
    {SDL_SCANCODE_L, 0x26},
    {SDL_SCANCODE_SEMICOLON, 0x27},
    {SDL_SCANCODE_APOSTROPHE, 0x28},
    {SDL_SCANCODE_GRAVE, 0x29},
    {SDL_SCANCODE_LSHIFT, 0x2A},
    {SDL_SCANCODE_BACKSLASH, 0x2B},
    {SDL_SCANCODE_Z, 0x2C},
    {SDL_SCANCODE_X, 0x2D},
    {SDL_SCANCODE_C, 0x2E},
    {SDL_SCANCODE_V, 0x2F},
    {SDL_SCANCODE_B, 0x30},
    {SDL_SCANCODE_N, 0x31},
    {SDL_SCANCODE_M, 0x32},
    {SDL_SCANCODE_COMMA, 0x33},
    {SDL_SCANCODE_PERIOD, 0x34},
    {SDL_SCANCODE_SLASH, 0x35},
    {SDL_SCANCODE_RSHIFT, 0x36},
    {SDL_SCANCODE_KP_MULTIPLY, 0x37},
    {SDL_SCANCODE_LALT, 0x38},
    {SDL_SCANCODE_SPACE, 0x39},
    {SDL_SCANCODE_CAPSLOCK, 0x3A},
    {SDL_SCANCODE_F1, 0x3B},
    {SDL_SCANCODE_F2, 0x3C},
    {SDL_SCANCODE_F3, 0x3D},
    {SDL_SCANCODE_F4, 0x3E},
    {SDL_SCANCODE_F5, 0x3F},
    {SDL_SCANCODE_F6, 0x40},
    {SDL_SCANCODE_F7, 0x41},
    {SDL_SCANCODE_F8, 0x42},
    {SDL_SCANCODE_F9, 0x43},
    {SDL_SCANCODE_F10, 0x44},
    {SDL_SCANCODE_NUMLOCKCLEAR, 0x45},
    {SDL_SCANCODE_SCROLLLOCK, 0x46},
    {SDL_SCANCODE_KP_7, 0x47},
    {SDL_SCANCODE_KP_8, 0x48},
    {SDL_SCANCODE_KP_9, 0x49},
    {SDL_SCANCODE_KP_MINUS, 0x4A},
    {SDL_SCANCODE_KP_4, 0x4B},
    {SDL_SCANCODE_KP_5, 0x4C},
    {SDL_SCANCODE_KP_6, 0x4D},
    {SDL_SCANCODE_KP_PLUS, 0x4E},
    {SDL_SCANCODE_KP_1, 0x4F},
    {SDL_SCANCODE_KP_2, 0x50},
    {SDL_SCANCODE_KP_3, 0x51},
    {SDL_SCANCODE_KP_0, 0x52},
    {SDL_SCANCODE_KP_PERIOD, 0x53},
    {SDL_SCANCODE_NONUSBACKSLASH, 0x56},
    {SDL_SCANCODE_F11, 0x57},
    {SDL_SCANCODE_F12, 0x58},
    {SDL_SCANCODE_KP_ENTER, 0x9C},
    {SDL_SCANCODE_RCTRL, 0x9D},
    {SDL_SCANCODE_KP_DIVIDE, 0xB5},
    {SDL_SCANCODE_PRINTSCREEN, 0xB7},
    {SDL_SCANCODE_RALT, 0xB8},
    {SDL_SCANCODE_PAUSE, 0xC5},
    {SDL_SCANCODE_HOME, 0xC7},
    {SDL_SCANCODE_UP, 0xC8},
    {SDL_SCANCODE_PAGEUP, 0xC9},
    {SDL_SCANCODE_LEFT, 0xCB},
    {SDL_SCANCODE_RIGHT, 0xCD},
    {SDL_SCANCODE_END, 0xCF},
    {SDL_SCANCODE_DOWN, 0xD0},
    {SDL_SCANCODE_PAGEDOWN, 0xD1},
    {SDL_SCANCODE_INSERT, 0xD2},
    {SDL_SCANCODE_DELETE, 0xD3},
    {SDL_SCANCODE_LGUI, 0xDB},
    {SDL_SCANCODE_RGUI, 0xDC},
    {SDL_SCANCODE_APPLICATION, 0xDD},
};

}  // namespace

std::uint8_t GameKeyCode(SDL_Scancode scancode) {
    for (const auto& [key, code] : kKeyTable) {
        if (key == scancode) return code;
    }
    return 0;
}

namespace {

SDL_Window* GameWindow() { return State.WindowId ? SDL_GetWindowFromID(State.WindowId) : nullptr; }

// SDL falls back to drivers that draw nowhere when there is no screen; for the game that is no
// display at all.
bool HasRealScreen() {
    const char* driver = SDL_GetCurrentVideoDriver();
    if (!driver) return false;
    for (const char* blind : {"offscreen", "dummy", "evdev"}) {
        if (std::strcmp(driver, blind) == 0) return false;
    }
    return true;
}

// With no window manager, nothing answers SDL's full screen request: the host moves the window
// over the whole screen itself, and back where it was.
bool CoverScreen(SDL_Window* window, bool cover) {
    if (!cover) {
        SDL_SetWindowSize(window, State.Windowed.w, State.Windowed.h);
        SDL_SetWindowPosition(window, State.Windowed.x, State.Windowed.y);
        return true;
    }
    SDL_Rect screen;
    if (SDL_GetDisplayBounds(SDL_GetWindowDisplayIndex(window), &screen) != 0) return false;
    SDL_GetWindowPosition(window, &State.Windowed.x, &State.Windowed.y);
    SDL_GetWindowSize(window, &State.Windowed.w, &State.Windowed.h);
    SDL_SetWindowPosition(window, screen.x, screen.y);
    SDL_SetWindowSize(window, screen.w, screen.h);
    SDL_RaiseWindow(window);
    return true;
}

// SDL's desktop-sized full screen changes no video mode; back in the window, SDL puts it where
// and as big as it was.
void SetFullScreen(bool fullScreen) {
    SDL_Window* window = GameWindow();
    if (!window) return;
    const Uint32 flags = fullScreen ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0;
    const bool done = HasWindowManager(window) ? SDL_SetWindowFullscreen(window, flags) == 0
                                               : CoverScreen(window, fullScreen);
    if (!done) return;
    State.FullScreen = fullScreen;
    State.Presenter.Clear = true;
}

void TakeWindowEvent(const SDL_WindowEvent& window) {
    if (window.event == SDL_WINDOWEVENT_FOCUS_LOST) ReleaseWindowInputs(State.Input);
    if (window.event == SDL_WINDOWEVENT_SIZE_CHANGED || window.event == SDL_WINDOWEVENT_EXPOSED) {
        State.Presenter.Clear = true;
    }
}

// Draining the events keeps the window responsive and the input state current. Close requests
// are dropped: the game ends only its own ways.
void DrainEvents() {
    SDL_Event event;
    while (SDL_PollEvent(&event)) {
        if (event.type == SDL_WINDOWEVENT) TakeWindowEvent(event.window);
        if (TakeInputEvent(State.Input, event)) SetFullScreen(!State.FullScreen);
    }
}

// Full screen shows the picture as large as it fits whole, whatever the game asked for.
SDL_Rect PictureRect(SDL_Window* window, int width, int height, Rect dest) {
    if (!State.FullScreen) {
        return {dest.Left, dest.Top, dest.Right - dest.Left, dest.Bottom - dest.Top};
    }
    Size area;
    SDL_GetWindowSize(window, &area.Width, &area.Height);
    const Rect place = CentredWholeMultiple(area, {width, height});
    return {place.Left, place.Top, place.Right - place.Left, place.Bottom - place.Top};
}

}  // namespace

SdlX11& X11State() { return State.X11; }

bool InitDisplay() {
    // Ctrl+C and kill must end the program as usual, not become close requests it ignores.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    // The window surface stays a plain X image, the cheapest present (sdl_present.cpp).
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    ChooseXScreen(std::getenv("DISPLAY"));
    if (SDL_Init(SDL_INIT_VIDEO) != 0) return false;
    if (!HasRealScreen()) {
        SDL_Quit();
        return false;
    }
    // Without it the game is played from the keyboard; pads come as they are plugged in.
    SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER);
    WatchX11(State.X11);
    State.VideoUp = true;
    return true;
}

void ShutdownDisplay() {
    if (!State.VideoUp) return;
    DetachDisplay();
    CloseInputs(State.Input);
    SDL_Quit();
    State.VideoUp = false;
    State.WindowId = 0;
}

Size DesktopSize() {
    SDL_DisplayMode mode{};
    if (SDL_GetDesktopDisplayMode(0, &mode) != 0) return {};
    return {mode.w, mode.h};
}

// SDL places and sizes a window by its client area; a window manager's frame lies outside it.
Rect FrameInsets(std::uint32_t /*style*/) { return {}; }

// Docks and window lists show it; the title stays empty.
void ShowGameIcon(SDL_Window* window) {
    SDL_Surface* icon = SDL_CreateRGBSurfaceWithFormatFrom(
        const_cast<std::uint32_t*>(kWindowIcon), kWindowIconSize, kWindowIconSize, 32,
        kWindowIconSize * 4, SDL_PIXELFORMAT_ARGB8888);
    if (!icon) return;
    SDL_SetWindowIcon(window, icon);
    SDL_FreeSurface(icon);
}

WindowId CreateHostWindow(const WindowRequest& request) {
    Uint32 flags = (request.Style & kStyleVisible) ? SDL_WINDOW_SHOWN : SDL_WINDOW_HIDDEN;
    if ((request.Style & kStyleCaption) != kStyleCaption) flags |= SDL_WINDOW_BORDERLESS;
    SDL_Window* window =
        SDL_CreateWindow(request.Title, request.X, request.Y, request.Width, request.Height, flags);
    if (!window) return 0;
    ShowGameIcon(window);
    State.WindowId = SDL_GetWindowID(window);
    return State.WindowId;
}

void DestroyHostWindow(WindowId window) {
    if (SDL_Window* sdlWindow = SDL_GetWindowFromID(static_cast<Uint32>(window))) {
        SDL_DestroyWindow(sdlWindow);
    }
    if (window == State.WindowId) State.WindowId = 0;
}

WindowId ActiveWindow() {
    SDL_Window* focused = SDL_GetKeyboardFocus();
    return focused ? SDL_GetWindowID(focused) : 0;
}

Rect WindowRect(WindowId window) {
    SDL_Window* sdlWindow = SDL_GetWindowFromID(static_cast<Uint32>(window));
    if (!sdlWindow) return {};
    Rect rect;
    SDL_GetWindowPosition(sdlWindow, &rect.Left, &rect.Top);
    int width = 0;
    int height = 0;
    SDL_GetWindowSize(sdlWindow, &width, &height);
    rect.Right = rect.Left + width;
    rect.Bottom = rect.Top + height;
    return rect;
}

bool AttachDisplay(WindowId window, std::int32_t width, std::int32_t height) {
    SDL_Window* sdlWindow = SDL_GetWindowFromID(static_cast<Uint32>(window));
    if (!sdlWindow || !OpenPresenter(State.Presenter, sdlWindow, width, height)) return false;
    State.WindowId = static_cast<Uint32>(window);
    SDL_ShowWindow(sdlWindow);
    SDL_RaiseWindow(sdlWindow);
    if (State.StartFullScreen) SetFullScreen(true);
    return true;
}

void DetachDisplay() { ClosePresenter(State.Presenter); }

void Present(const std::uint32_t* pixels, std::int32_t width, std::int32_t height, Rect dest) {
    DrainEvents();
    SDL_Window* window = GameWindow();
    if (!window) return;
    PresentPixels(State.Presenter, window, pixels, width, height,
                  PictureRect(window, width, height, dest));
}

bool OpenKeyboard() {
    State.KeyboardOpen = State.VideoUp;
    return State.KeyboardOpen;
}

void CloseKeyboard() { State.KeyboardOpen = false; }

bool ReadKeys(std::uint8_t keys[256]) {
    if (!State.KeyboardOpen) return false;
    DrainEvents();
    std::memset(keys, 0, 256);
    SDL_Window* window = GameWindow();
    // Without the focus nothing is down, whatever the keys did before the focus left.
    if (!window || SDL_GetKeyboardFocus() != window) return true;
    const Uint8* down = SDL_GetKeyboardState(nullptr);
    for (const auto& [scancode, code] : kKeyTable) {
        if (down[scancode] && !HeldByHost(State.Input, scancode)) keys[code] = 0x80;
    }
    AddInputKeys(State.Input, keys);
    return true;
}

void ShowMessage(const char* title, const char* text) {
    if (ShowTiedMessageBox(State.X11, title, text, GameWindow()) != 0) {
        // An error must never pass silently, even where no box can be shown.
        std::fprintf(stderr, "%s: %s\n", title, text);
    }
}

// Linux hands the bytes over as they are; file names are bytes there too.
std::vector<std::string> ProgramArguments(int argc, char** argv) { return {argv, argv + argc}; }

void TellUser(const char* text, bool error) { std::fputs(text, error ? stderr : stdout); }

// Asked before SDL starts, of the display the game will open on.
std::int32_t DesktopScale() {
    const char* display = std::getenv("DISPLAY");
    return ScaleOfDesktop(std::getenv("GDK_SCALE"), ReadXResources(display).c_str());
}

void SetStartFullScreen(bool fullScreen) { State.StartFullScreen = fullScreen; }

std::uint32_t* AllocatePixels(std::size_t count) {
    return static_cast<std::uint32_t*>(std::calloc(count, sizeof(std::uint32_t)));
}

void FreePixels(std::uint32_t* pixels) { std::free(pixels); }

[[noreturn]] void EndProcess(int status) {
    SDL_Quit();
    std::exit(status);
}

}  // namespace host
