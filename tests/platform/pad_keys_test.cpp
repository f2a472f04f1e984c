#include <gtest/gtest.h>

#include <array>
#include <cstdint>

#include "platform/host/win32/win32_pad_keys.h"

namespace {

using Keys = std::array<std::uint8_t, 256>;

constexpr std::uint8_t kDown = 0x80;
// Written out: the test checks the names too.
constexpr int kEscape = 1;
constexpr int kP = 25;
constexpr int kUp = 200;

Keys KeysOf(host::XInputGamepad pad, Keys keys = {}) {
    host::AddPadKeys(host::PadOfXInput(pad), keys.data());
    return keys;
}

Keys Held(std::initializer_list<int> codes) {
    Keys keys{};
    for (const int code : codes) keys[code] = kDown;
    return keys;
}

TEST(PadKeys, ButtonsAndStickHoldTheGameKeys) {
    EXPECT_EQ(KeysOf({}), Held({}));
    EXPECT_EQ(KeysOf({host::kXInputDpadUp, 0}), Held({kUp}));
    EXPECT_EQ(KeysOf({host::kXInputA, 0}), Held({kUp}));
    EXPECT_EQ(KeysOf({host::kXInputStart, 0}), Held({kP}));
    EXPECT_EQ(KeysOf({host::kXInputBack, 0}), Held({kEscape}));
    // Buttons the game has no use for (d-pad down, B, X, Y, shoulders) hold nothing.
    EXPECT_EQ(KeysOf({0x0002 | 0x2000 | 0x4000 | 0x8000 | 0x0100 | 0x0200, 0}), Held({}));
    // Pad n lifts player n; Start and Back stay the game's own on every pad.
    Keys keys{};
    host::AddPadKeys(host::PadOfXInput({host::kXInputA | host::kXInputStart, 0}), keys.data(), 3);
    EXPECT_EQ(keys, Held({host::kPlayerKeys[3], kP}));
}

TEST(PadKeys, StickLiftsOnlyPastHalfWayUp) {
    EXPECT_EQ(KeysOf({0, 16383}), Held({}));
    EXPECT_EQ(KeysOf({0, 16384}), Held({kUp}));
    EXPECT_EQ(KeysOf({0, 32767}), Held({kUp}));
    EXPECT_EQ(KeysOf({0, -32768}), Held({}));  // pushed down: the sign is not lost
}

TEST(PadKeys, NeverLetsGoOfAKeyAnotherSourceHolds) {
    const Keys keyboard = Held({kUp, kP, kEscape, 57});
    EXPECT_EQ(KeysOf({}, keyboard), keyboard);
    EXPECT_EQ(KeysOf({host::kXInputStart, 0}, Held({kUp})), Held({kUp, kP}));
}

}  // namespace
