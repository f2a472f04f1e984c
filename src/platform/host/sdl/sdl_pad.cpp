#include "platform/host/sdl/sdl_pad.h"

namespace host {
namespace {

constexpr std::uint8_t kDown = 0x80;
constexpr int kEscape = 0x01;
constexpr int kP = 0x19;
constexpr int kUp = 0xC8;
// Half way up; a stick resting a little off centre must not lift the ball.
constexpr std::int16_t kStickHalfUp = -16384;

}  // namespace

void AddPadKeys(const PadState& pad, std::uint8_t keys[256]) {
    if (pad.DpadUp || pad.South || pad.LeftY < kStickHalfUp) keys[kUp] = kDown;
    if (pad.Start) keys[kP] = kDown;
    if (pad.Back) keys[kEscape] = kDown;
}

}  // namespace host
