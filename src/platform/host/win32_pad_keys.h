// Which of the game's keys an XInput pad holds. Free of windows.h, so that the rule is tested on
// every system; the Win32 host copies the fields below out of XINPUT_GAMEPAD.
#pragma once

#include <cstdint>

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

// Marks down (0x80) in the 256-entry key table the keys this pad holds: Up (200) for the d-pad
// up, the left stick pushed up past half way or A; P (25) for Start; Escape (1) for Back. It
// never lets go of a key: the keyboard or the pointer may be holding it.
constexpr void HoldPadKeys(const XInputGamepad& pad, std::uint8_t keys[256]) {
    constexpr std::uint8_t kDown = 0x80;
    constexpr std::int16_t kHalfWayUp = 32767 / 2;
    if ((pad.Buttons & (kXInputDpadUp | kXInputA)) != 0 || pad.ThumbLY > kHalfWayUp) {
        keys[200] = kDown;
    }
    if ((pad.Buttons & kXInputStart) != 0) keys[25] = kDown;
    if ((pad.Buttons & kXInputBack) != 0) keys[1] = kDown;
}

}  // namespace host
