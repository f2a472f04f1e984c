#include "platform/keyboard.h"

#include <cstring>

#include "platform/host/host.h"
#include "platform/key_recorder.h"
#include "platform/platform_reset.h"

std::uint8_t KeyState[256];
std::uint8_t KeyLatch[256];

namespace {

constexpr std::uint8_t kDownBit = 0x80;

bool KeyboardOpen = false;

bool IsKeyCode(std::int32_t key) { return key >= 0 && key <= 255; }

}  // namespace

std::int32_t OpenKeyboardDevice() {
    ReleaseKeyboard();
    // One process may run many games: nothing of an earlier game's keys may carry over.
    std::memset(KeyState, 0, sizeof KeyState);
    std::memset(KeyLatch, 0, sizeof KeyLatch);
    KeyboardOpen = host::OpenKeyboard();
    return KeyboardOpen ? 1 : 0;
}

std::int32_t PollKeyboard() {
    if (!KeyboardOpen) return 0;
    // Read into a scratch table so that a failed read leaves the last snapshot in force.
    std::uint8_t keys[256];
    std::memcpy(keys, KeyState, sizeof keys);
    const bool read = host::ReadKeys(keys);
    // A failed read still counts as a snapshot, as it does for the scripts replayed headless.
    RecordKeySnapshot(keys);
    std::memcpy(KeyState, keys, sizeof keys);
    return read ? 1 : 0;
}

std::int32_t IsKeyDown(std::int32_t key) {
    if (!IsKeyCode(key)) return 0;
    return KeyState[key] & kDownBit;
}

std::int32_t WasKeyReleased(std::int32_t key) {
    if (!IsKeyCode(key)) return 0;
    if ((KeyState[key] & kDownBit) != 0) {
        KeyLatch[key] = 1;
        return 0;
    }
    if (KeyLatch[key] == 1) {
        KeyLatch[key] = 0;
        return 1;
    }
    return 0;
}

void ReleaseKeyboard() {
    if (!KeyboardOpen) return;
    host::CloseKeyboard();
    KeyboardOpen = false;
}

void ResetKeyboardState() {
    KeyboardOpen = false;
    std::memset(KeyState, 0, sizeof KeyState);
    std::memset(KeyLatch, 0, sizeof KeyLatch);
}
