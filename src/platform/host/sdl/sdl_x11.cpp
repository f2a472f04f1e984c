#include "platform/host/sdl/sdl_x11.h"

#include <SDL_syswm.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <pthread.h>
#include <sys/prctl.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace host {
namespace {

// The screen in an X display name, "host:display.screen"; 0 when it names none.
int ScreenOfDisplayName(const char* name) {
    const char* colon = name ? std::strrchr(name, ':') : nullptr;
    const char* dot = colon ? std::strchr(colon, '.') : nullptr;
    return dot ? std::atoi(dot + 1) : 0;
}

// The X library ends the program with status 1 after its own message, which names neither the
// game nor what it means for it. The box child keeps quiet: its parent says it.
int SayDisplayLost(Display* display) {
    SdlX11& x11 = X11State();
    if (getpid() == x11.GamePid) {
        std::fputs("cave: lost the connection to the X display; the game ends\n", stderr);
    }
    return x11.PreviousIoHandler(display);
}

// SDL draws its X11 message box in a forked child that would outlive a killed game and keep
// the game's window on screen through the X connection it inherited. The kernel kills the
// child when the game ends, however it ends.
void TieBoxChild() {
    const SdlX11& x11 = X11State();
    if (!x11.BoxUp) return;
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (getppid() != x11.GamePid) _exit(1);  // the game ended before the tie was made
}

// The value of one resource in XResourceManagerString's "name:\tvalue" lines; null if absent.
const char* ResourceValue(const char* resources, const char* name) {
    const std::size_t length = std::strlen(name);
    for (const char* line = resources; line && *line;) {
        if (std::strncmp(line, name, length) == 0 && line[length] == ':') return line + length + 1;
        line = std::strchr(line, '\n');
        if (line) ++line;
    }
    return nullptr;
}

// A whole number of 1 or more, or 0 for anything else.
int PositiveWholeNumber(const char* text) {
    if (!text) return 0;
    char* end = nullptr;
    const long value = std::strtol(text, &end, 10);
    return end != text && *end == '\0' && value >= 1 && value <= 1000 ? static_cast<int>(value) : 0;
}

}  // namespace

int ScaleOfDesktop(const char* gdkScale, const char* resources) {
    if (const int scale = PositiveWholeNumber(gdkScale)) return scale;
    const char* dpi = ResourceValue(resources, "Xft.dpi");
    if (!dpi) return 1;
    const double scale = std::strtod(dpi, nullptr) / 96.0;
    return scale >= 1.0 && scale <= 1000.0 ? static_cast<int>(scale) : 1;
}

std::string ReadXResources(const char* displayName) {
    Display* display = XOpenDisplay(displayName);
    if (!display) return {};
    const char* resources = XResourceManagerString(display);
    std::string copy = resources ? resources : "";
    XCloseDisplay(display);
    return copy;
}

bool HasWindowManager(SDL_Window* window) {
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (!SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11) return true;
    Display* display = info.info.x11.display;
    // A manager that follows the desktop conventions names its own window on the root.
    const Atom check = XInternAtom(display, "_NET_SUPPORTING_WM_CHECK", True);
    if (check == None) return false;
    Atom type = None;
    int format = 0;
    unsigned long count = 0;
    unsigned long left = 0;
    unsigned char* data = nullptr;
    const int status = XGetWindowProperty(display, DefaultRootWindow(display), check, 0, 1, False,
                                          XA_WINDOW, &type, &format, &count, &left, &data);
    if (data) XFree(data);
    return status == Success && count == 1;
}

void ChooseXScreen(const char* displayName) {
    if (ScreenOfDisplayName(displayName) > 0) SDL_SetHint(SDL_HINT_VIDEO_X11_XRANDR, "0");
}

void WatchX11(SdlX11& x11) {
    const char* driver = SDL_GetCurrentVideoDriver();
    if (x11.Watching || !driver || std::strcmp(driver, "x11") != 0) return;
    x11.Watching = true;
    x11.GamePid = getpid();
    x11.PreviousIoHandler = XSetIOErrorHandler(SayDisplayLost);
    pthread_atfork(nullptr, nullptr, TieBoxChild);
}

int ShowTiedMessageBox(SdlX11& x11, const char* title, const char* text, SDL_Window* owner) {
    x11.BoxUp = true;
    const int shown = SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_INFORMATION, title, text, owner);
    x11.BoxUp = false;
    return shown;
}

}  // namespace host
