#include <gtest/gtest.h>

#include "platform/display.h"
#include "platform_fixture.h"

namespace {

constexpr std::uint32_t kBackground = 0x00123456;

class Blit : public PlatformTest {
  protected:
    void SetUp() override {
        PlatformTest::SetUp();
        OpenGameDisplay();
    }

    // Image n of the given size with every pixel set by `value(x, y)`.
    template <typename Value>
    static void MakeImage(std::int32_t n, std::int32_t width, std::int32_t height, Value value) {
        ASSERT_NE(CreateImage(n, width, height), 0u);
        const DrawTarget* target = ImageTarget(n);
        ASSERT_NE(target, nullptr);
        for (std::int32_t y = 0; y < height; ++y) {
            for (std::int32_t x = 0; x < width; ++x) target->Pixels[y * width + x] = value(x, y);
        }
        target->GiveBack();
    }

    // A pixel value that names its image position, never 0.
    static std::uint32_t Tag(std::int32_t x, std::int32_t y) {
        return 0x010000u + static_cast<std::uint32_t>(y * 256 + x);
    }

    static std::uint32_t Back(std::int32_t x, std::int32_t y) {
        const ImageView back = PeekBackBuffer();
        return back.Pixels[y * back.Width + x];
    }

    // Number of back-buffer pixels that differ from the background.
    static int Touched() {
        const ImageView back = PeekBackBuffer();
        int count = 0;
        for (int i = 0; i < back.Width * back.Height; ++i) count += back.Pixels[i] != kBackground;
        return count;
    }

    void BlitTagged8x8(std::int32_t x, std::int32_t y) {
        MakeImage(10, 8, 8, Tag);
        ClearBackBuffer(0x12, 0x34, 0x56);
        BlitImage(10, x, y);
    }
};

TEST_F(Blit, BottomRightCornerCopiesTheTopLeftQuarter) {
    BlitTagged8x8(316, 236);
    EXPECT_EQ(Touched(), 16);
    EXPECT_EQ(Back(316, 236), Tag(0, 0));
    EXPECT_EQ(Back(319, 239), Tag(3, 3));
}

TEST_F(Blit, LeftEdgeCopiesOnlyTheRightmostColumn) {
    BlitTagged8x8(-7, 0);
    EXPECT_EQ(Touched(), 8);
    for (int y = 0; y < 8; ++y) EXPECT_EQ(Back(0, y), Tag(7, y));
}

TEST_F(Blit, WhollyOutsideDrawsNothing) {
    for (auto [x, y] : {std::pair{-8, 0}, {320, 0}, {0, 240}, {0, -8}}) {
        BlitTagged8x8(x, y);
        EXPECT_EQ(Touched(), 0) << x << "," << y;
    }
}

TEST_F(Blit, TopEdgeClipsRows) {
    BlitTagged8x8(5, -6);
    EXPECT_EQ(Touched(), 16);
    EXPECT_EQ(Back(5, 0), Tag(0, 6));
    EXPECT_EQ(Back(12, 1), Tag(7, 7));
}

TEST_F(Blit, SelfBlitScrollsTwoColumnsLeft) {
    MakeImage(1, 320, 240, Tag);
    EXPECT_EQ(SetBlitTarget(1), 1);
    BlitImage(1, -2, 0);
    EXPECT_EQ(SetBlitTarget(-1), -1);
    const ImageView cave = PeekImage(1);
    for (int y = 0; y < 240; ++y) {
        for (int x = 0; x < 320; ++x) {
            const std::uint32_t expected = x < 318 ? Tag(x + 2, y) : Tag(x, y);
            ASSERT_EQ(cave.Pixels[y * 320 + x], expected) << x << "," << y;
        }
    }
    ClearBackBuffer(0x12, 0x34, 0x56);
    BlitImage(1, 0, 0);
    EXPECT_EQ(Back(0, 0), Tag(2, 0));  // later blits go to the back buffer again
}

TEST_F(Blit, SelfBlitDownAndRightCopiesAnUntouchedDuplicate) {
    MakeImage(1, 16, 16, Tag);
    SetBlitTarget(1);
    BlitImageKeyed(1, 3, 2);
    BlitImage(1, 0, 0);  // a no-op copy onto itself
    SetBlitTarget(-1);
    const ImageView image = PeekImage(1);
    for (int y = 0; y < 16; ++y) {
        for (int x = 0; x < 16; ++x) {
            const std::uint32_t expected = (x >= 3 && y >= 2) ? Tag(x - 3, y - 2) : Tag(x, y);
            ASSERT_EQ(image.Pixels[y * 16 + x], expected) << x << "," << y;
        }
    }
}

TEST_F(Blit, KeyedBlitKeepsTheBackgroundBehindBlack) {
    // A ball-like image whose outermost ring is black.
    const auto ring = [](std::int32_t x, std::int32_t y) {
        const bool edge = x == 0 || y == 0 || x == 7 || y == 7;
        return edge ? 0u : 0x00FF0000u;
    };
    MakeImage(10, 8, 8, ring);
    ClearBackBuffer(0x12, 0x34, 0x56);
    BlitImageKeyed(10, 100, 100);
    EXPECT_EQ(Back(100, 100), kBackground);
    EXPECT_EQ(Back(107, 104), kBackground);
    EXPECT_EQ(Back(101, 101), 0x00FF0000u);
    EXPECT_EQ(Touched(), 36);
    BlitImage(10, 100, 100);
    EXPECT_EQ(Back(100, 100), 0u);
    EXPECT_EQ(Touched(), 64);
}

TEST_F(Blit, NothingIsDrawnWhileInactive) {
    ResetPlatformState();
    ASSERT_NE(InitDisplaySystem(), 0);
    MakeImage(10, 8, 8, Tag);
    EXPECT_EQ(IsDisplayActive(), 0);
    BlitImage(10, 0, 0);  // no back buffer, no destination: must not crash or draw
    SetBlitTarget(10);
    MakeImage(11, 8, 8, Tag);
    BlitImage(11, 0, 0);
    EXPECT_EQ(PeekImage(10).Pixels[0], Tag(0, 0));
}

TEST_F(Blit, SetBlitTargetIgnoresAnEmptyEntry) {
    MakeImage(1, 8, 8, Tag);
    EXPECT_EQ(SetBlitTarget(1), 1);
    EXPECT_EQ(SetBlitTarget(7), 1);
    EXPECT_EQ(SetBlitTarget(5000), 1);
    EXPECT_EQ(SetBlitTarget(-1), -1);
    EXPECT_EQ(SetBlitTarget(7), -1);
}

TEST_F(Blit, ClearFillsTheDestinationWithRedGreenBlue) {
    ClearBackBuffer(200, 100, 50);
    EXPECT_EQ(Back(0, 0), 0x00C86432u);
    EXPECT_EQ(Back(319, 239), 0x00C86432u);
    ClearBackBuffer(255, 255, 255);
    EXPECT_EQ(Back(160, 120), 0x00FFFFFFu);
    ClearBackBuffer(0, 0, 0);
    EXPECT_EQ(Back(17, 33), 0u);
    MakeImage(1, 4, 4, Tag);
    SetBlitTarget(1);
    ClearBackBuffer(0, 0, 9);  // the blit destination is the image now
    EXPECT_EQ(PeekImage(1).Pixels[15], 9u);
    EXPECT_EQ(Back(0, 0), 0u);
}

}  // namespace
