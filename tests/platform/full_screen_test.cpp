#include "platform/host/full_screen.h"

#include <gtest/gtest.h>

#include <array>

namespace {

std::array<std::int32_t, 4> Place(std::int32_t width, std::int32_t height) {
    const host::Rect rect = host::CentredWholeMultiple({width, height}, {320, 240});
    return {rect.Left, rect.Top, rect.Right - rect.Left, rect.Bottom - rect.Top};
}

// The 320x240 picture on the screens the hosts meet: the largest whole multiple that fits,
// whichever side limits it, centred.
TEST(FullScreen, PictureIsTheLargestWholeMultipleThatFitsCentred) {
    EXPECT_EQ(Place(1280, 1024), (std::array{0, 32, 1280, 960}));
    EXPECT_EQ(Place(1920, 1080), (std::array{320, 60, 1280, 960}));
    EXPECT_EQ(Place(3840, 2160), (std::array{480, 0, 2880, 2160}));
    EXPECT_EQ(Place(1366, 768), (std::array{203, 24, 960, 720}));
    // A window smaller than the picture shows it at its own size, its middle in the middle.
    EXPECT_EQ(Place(300, 200), (std::array{-10, -20, 320, 240}));
}

TEST(FullScreen, F11OrEitherEnterWithAltSwitches) {
    EXPECT_TRUE(host::SwitchesFullScreen(kKeyF11, false));
    EXPECT_TRUE(host::SwitchesFullScreen(kKeyF11, true));
    EXPECT_TRUE(host::SwitchesFullScreen(kKeyEnter, true));
    EXPECT_TRUE(host::SwitchesFullScreen(kKeyPadEnter, true));
    // Enter alone, and the game's own keys with Alt, stay the game's.
    EXPECT_FALSE(host::SwitchesFullScreen(kKeyEnter, false));
    EXPECT_FALSE(host::SwitchesFullScreen(kKeyPadEnter, false));
    for (const std::int32_t key : {kKeyUp, kKeyP, kKeyEscape, 88 /* F12 */}) {
        EXPECT_FALSE(host::SwitchesFullScreen(key, true)) << key;
    }
}

}  // namespace
