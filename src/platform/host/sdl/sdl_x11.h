// What the SDL host does for X11 beyond what SDL does: open on the screen the display names,
// say in our own words when the X server goes away, and never leave a message box behind.
#pragma once

#include <SDL.h>
#include <sys/types.h>

#include <string>

struct _XDisplay;

namespace host {

// A member of the host's state.
struct SdlX11 {
    pid_t GamePid = 0;   // the game's own process, not a box child forked from it
    bool BoxUp = false;  // a message box is being shown: a fork now is SDL's box child
    bool Watching = false;
    int (*PreviousIoHandler)(_XDisplay*) = nullptr;
};

// The host's one instance, for the callbacks the X library and fork make.
SdlX11& X11State();

// Before SDL starts: SDL lists the screens of an X display in their own order and opens its
// windows on the first it lists; told to leave RandR aside, it uses only the screen named.
void ChooseXScreen(const char* displayName);
// After SDL has opened its display: hooks the X library and fork, once per process.
void WatchX11(SdlX11& x11);
// Whole screen pixels per game pixel as the desktop scales: GDK_SCALE when it is a whole
// number of 1 or more, else the whole part of Xft.dpi / 96 from the X resources; at least 1.
// Either may be null.
int ScaleOfDesktop(const char* gdkScale, const char* resources);
// The X resources of the display the game opens on, as the desktop merged them; empty when
// there are none or no display.
std::string ReadXResources(const char* displayName);

// Whether a window manager that can put windows in full screen runs on the window's display:
// without one, SDL's full screen request goes unanswered.
bool HasWindowManager(SDL_Window* window);

// SDL_ShowSimpleMessageBox, with SDL's box child tied to the game: it dies with the game.
int ShowTiedMessageBox(SdlX11& x11, const char* title, const char* text, SDL_Window* owner);

}  // namespace host
