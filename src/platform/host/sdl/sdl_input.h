// What holds the game's keys on this host besides the keyboard: the left mouse button and
// fingers on the window, and game controllers. Also the full screen keys, which are the
// host's own and never reach the game.
#pragma once

#include <SDL.h>

#include <cstdint>
#include <vector>

namespace host {

// A member of the host's state.
struct SdlInput {
    bool MouseHeld = false;                 // the left button, pressed over the window
    std::vector<SDL_FingerID> Fingers;      // fingers down on the window
    std::vector<SDL_GameController*> Pads;  // every pad plugged in, opened as it comes
    std::vector<SDL_Scancode> HostKeys;     // full screen keys still down
};

// Takes an event's news into the input state. True when the event asks to switch between full
// screen and the window.
bool TakeInputEvent(SdlInput& input, const SDL_Event& event);
// The focus left: a button released elsewhere may never be reported.
void ReleaseWindowInputs(SdlInput& input);
// Whether a key down on the keyboard belongs to the host rather than the game.
bool HeldByHost(const SdlInput& input, SDL_Scancode scancode);
// Adds the keys the pointer and the pads hold to a table filled from the keyboard.
void AddInputKeys(const SdlInput& input, std::uint8_t keys[256]);
void CloseInputs(SdlInput& input);

// The game's code of a key (sdl_host.cpp keeps the one table); 0 for keys outside it.
std::uint8_t GameKeyCode(SDL_Scancode scancode);

}  // namespace host
