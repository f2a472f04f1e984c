// An XInput pad as the pad state every host shares. Free of windows.h, so that it is tested on
// every system; the Win32 host copies the fields below out of XINPUT_GAMEPAD.
#pragma once

#include <cstdint>

#include "platform/host/pad_keys.h"

namespace host {

// The parts of XINPUT_GAMEPAD the game reads.
struct XInputGamepad {
    std::uint16_t Buttons = 0;  // XINPUT_GAMEPAD_* bits
    std::int16_t ThumbLY = 0;   // left stick, -32768 (down) to 32767 (up)
};

inline constexpr std::uint16_t kXInputDpadUp = 0x0001;
inline constexpr std::uint16_t kXInputStart = 0x0010;
inline constexpr std::uint16_t kXInputBack = 0x0020;
inline constexpr std::uint16_t kXInputA = 0x1000;

constexpr PadState PadOfXInput(const XInputGamepad& pad) {
    PadState state;
    state.DpadUp = (pad.Buttons & kXInputDpadUp) != 0;
    state.South = (pad.Buttons & kXInputA) != 0;
    state.Start = (pad.Buttons & kXInputStart) != 0;
    state.Back = (pad.Buttons & kXInputBack) != 0;
    state.StickUp = pad.ThumbLY;  // XInput's y already grows upwards
    return state;
}

}  // namespace host
