#include "platform/host/sdl/sdl_input.h"

#include <algorithm>

#include "platform/host/full_screen.h"
#include "platform/host/key_codes.h"
#include "platform/host/pad_keys.h"

namespace host {
namespace {

template <typename T>
void Forget(std::vector<T>& items, const T& item) {
    items.erase(std::remove(items.begin(), items.end(), item), items.end());
}

SDL_JoystickID PadId(SDL_GameController* pad) {
    return SDL_JoystickInstanceID(SDL_GameControllerGetJoystick(pad));
}

// SDL reports the pads present at start-up as added too. Opening one twice would leak it.
void OpenPad(SdlInput& input, int deviceIndex) {
    SDL_GameController* pad = SDL_GameControllerOpen(deviceIndex);
    if (!pad) return;
    if (std::find(input.Pads.begin(), input.Pads.end(), pad) != input.Pads.end()) {
        SDL_GameControllerClose(pad);  // SDL counted a second reference
        return;
    }
    input.Pads.push_back(pad);
}

void ClosePad(SdlInput& input, SDL_JoystickID id) {
    for (SDL_GameController* pad : input.Pads) {
        if (PadId(pad) != id) continue;
        SDL_GameControllerClose(pad);
        Forget(input.Pads, pad);
        return;
    }
}

bool IsFullScreenKey(const SDL_KeyboardEvent& key) {
    return SwitchesFullScreen(GameKeyCode(key.keysym.scancode), (key.keysym.mod & KMOD_ALT) != 0);
}

// Pressed, the key is the host's until it is let go: the game never sees it.
bool TakeKeyDown(SdlInput& input, const SDL_KeyboardEvent& key) {
    if (!IsFullScreenKey(key)) return false;
    if (!HeldByHost(input, key.keysym.scancode)) input.HostKeys.push_back(key.keysym.scancode);
    return key.repeat == 0;
}

void TakeMouseButton(SdlInput& input, const SDL_MouseButtonEvent& button) {
    // Fingers are counted as fingers; SDL's mouse made from the first one is not.
    if (button.button != SDL_BUTTON_LEFT || button.which == SDL_TOUCH_MOUSEID) return;
    input.MouseHeld = button.state == SDL_PRESSED;
}

PadState ReadPad(SDL_GameController* pad) {
    PadState state;
    state.DpadUp = SDL_GameControllerGetButton(pad, SDL_CONTROLLER_BUTTON_DPAD_UP) != 0;
    state.South = SDL_GameControllerGetButton(pad, SDL_CONTROLLER_BUTTON_A) != 0;
    state.Start = SDL_GameControllerGetButton(pad, SDL_CONTROLLER_BUTTON_START) != 0;
    state.Back = SDL_GameControllerGetButton(pad, SDL_CONTROLLER_BUTTON_BACK) != 0;
    // SDL's y grows downwards.
    state.StickUp = -SDL_GameControllerGetAxis(pad, SDL_CONTROLLER_AXIS_LEFTY);
    return state;
}

}  // namespace

bool TakeInputEvent(SdlInput& input, const SDL_Event& event) {
    switch (event.type) {
        case SDL_KEYDOWN:
            return TakeKeyDown(input, event.key);
        case SDL_KEYUP:
            Forget(input.HostKeys, event.key.keysym.scancode);
            break;
        case SDL_MOUSEBUTTONDOWN:
        case SDL_MOUSEBUTTONUP:
            TakeMouseButton(input, event.button);
            break;
        case SDL_FINGERDOWN:
            if (std::find(input.Fingers.begin(), input.Fingers.end(), event.tfinger.fingerId) ==
                input.Fingers.end()) {
                input.Fingers.push_back(event.tfinger.fingerId);
            }
            break;
        case SDL_FINGERUP:
            Forget(input.Fingers, event.tfinger.fingerId);
            break;
        case SDL_CONTROLLERDEVICEADDED:
            OpenPad(input, event.cdevice.which);
            break;
        case SDL_CONTROLLERDEVICEREMOVED:
            ClosePad(input, event.cdevice.which);
            break;
        default:
            break;
    }
    return false;
}

void ReleaseWindowInputs(SdlInput& input) {
    input.MouseHeld = false;
    input.Fingers.clear();
    input.HostKeys.clear();
}

bool HeldByHost(const SdlInput& input, SDL_Scancode scancode) {
    return std::find(input.HostKeys.begin(), input.HostKeys.end(), scancode) !=
           input.HostKeys.end();
}

void AddInputKeys(const SdlInput& input, std::uint8_t keys[256]) {
    if (input.MouseHeld || !input.Fingers.empty()) keys[kKeyUp] = 0x80;
    int index = 0;
    for (SDL_GameController* pad : input.Pads) AddPadKeys(ReadPad(pad), keys, index++);
}

void CloseInputs(SdlInput& input) {
    for (SDL_GameController* pad : input.Pads) SDL_GameControllerClose(pad);
    input = SdlInput{};
}

}  // namespace host
