#include "platform/drawing.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "platform/font.h"
#include "platform_fixture.h"

namespace {

constexpr std::int32_t kRed = PackRGB(255, 0, 0);
constexpr std::int32_t kWhite = PackRGB(255, 255, 255);

class Drawing : public PlatformTest {
  protected:
    void SetUp() override {
        PlatformTest::SetUp();
        OpenGameDisplay();
        ASSERT_NE(CreateImage(1, 320, 240), 0u);
        ASSERT_NE(CreateImage(10, 8, 8), 0u);
    }
    void TearDown() override {
        EndDrawing();
        PlatformTest::TearDown();
    }

    // Columns and rows that hold a non-black pixel, as a bounding box {x0, y0, x1, y1}.
    static std::vector<int> Covered(std::int32_t width, std::int32_t height) {
        std::vector<int> box{width, height, -1, -1};
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                if (GetPixelColour(x, y) == 0) continue;
                box = {std::min(box[0], x), std::min(box[1], y), std::max(box[2], x),
                       std::max(box[3], y)};
            }
        }
        return box;
    }

    static int CountColour(std::int32_t colour) {
        int count = 0;
        for (int y = 0; y < 240; ++y) {
            for (int x = 0; x < 320; ++x) count += GetPixelColour(x, y) == colour;
        }
        return count;
    }
};

TEST(ColourPacking, PacksAndSplitsWithoutMasking) {
    constexpr std::int32_t colour = PackRGB(200, 100, 50);
    EXPECT_EQ(colour, 200 + 100 * 256 + 50 * 65536);
    EXPECT_EQ(RedOf(colour), 200);
    EXPECT_EQ(GreenOf(colour), 100);
    EXPECT_EQ(BlueOf(colour), 50);
    EXPECT_EQ(PackRGB(256, 0, 0), PackRGB(0, 1, 0));
}

TEST_F(Drawing, PixelsAreStoredAsRgbWordsAndReadBackExactly) {
    ASSERT_NE(BeginDrawing(ImageTarget(1)), 0u);
    const std::int32_t colour = PackRGB(200, 100, 50);
    PutPixel(5, 7, colour);
    EXPECT_EQ(PeekImage(1).Pixels[7 * 320 + 5], 0x00C86432u);
    EXPECT_EQ(GetPixelColour(5, 7), colour);
    EXPECT_EQ(GetPixelColour(-1, 7), -1);
    EXPECT_EQ(GetPixelColour(320, 0), -1);
    EXPECT_EQ(GetPixelColour(0, 240), -1);
    EndDrawing();
    EXPECT_EQ(GetPixelColour(5, 7), -1);
}

TEST_F(Drawing, PutPixelOutsideTheTargetWritesNothing) {
    ASSERT_NE(BeginDrawing(ImageTarget(10)), 0u);
    for (auto [x, y] : {std::pair{8, 0}, {-1, 1}, {0, 8}, {3, -1}, {100000, 100000}}) {
        PutPixel(x, y, kWhite);
    }
    EXPECT_EQ(Covered(8, 8), (std::vector<int>{8, 8, -1, -1}));
    EndDrawing();
    EXPECT_EQ(PeekImage(1).Pixels[0], 0u);
}

TEST_F(Drawing, NothingIsDrawnWithoutATarget) {
    EXPECT_EQ(GetPixelColour(0, 0), -1);
    PutPixel(0, 0, kWhite);
    FillRect(0, 0, 320, 240, kWhite);
    EXPECT_EQ(BeginDrawing(nullptr), 0u);
    FillCircle(4, 4, 4, kWhite);
    DrawTextAtCursor("8");
    EXPECT_EQ(PeekBackBuffer().Pixels[0], 0u);
    EXPECT_EQ(PeekImage(1).Pixels[0], 0u);
}

TEST_F(Drawing, OutlineRectangleIsTheRedFrame) {
    BeginDrawing(BackBufferTarget());
    SetDrawMode(kOutlineOnly);
    FillRect(0, 0, 320, 240, kRed);
    EXPECT_EQ(CountColour(kRed), 2 * 320 + 2 * 238);
    for (auto [x, y] : {std::pair{0, 0}, {319, 0}, {0, 239}, {319, 239}, {160, 0}, {0, 120}}) {
        EXPECT_EQ(GetPixelColour(x, y), kRed) << x << "," << y;
    }
    EXPECT_EQ(GetPixelColour(1, 1), 0);
    SetDrawMode(0);
    FillRect(10, 20, 30, 40, PackRGB(0, 0, 255));
    EXPECT_EQ(CountColour(PackRGB(0, 0, 255)), 30 * 40);  // solid again, in the new colour
    EXPECT_EQ(Covered(320, 240), (std::vector<int>{0, 0, 319, 239}));
}

TEST_F(Drawing, FilledRectangleExcludesRightAndBottomEdges) {
    BeginDrawing(ImageTarget(1));
    FillRect(0, 0, 320, 240, kRed);
    EXPECT_EQ(CountColour(kRed), 320 * 240);
    FillRect(5, 6, 3, 2, kWhite);
    EXPECT_EQ(CountColour(kWhite), 6);
    EXPECT_EQ(GetPixelColour(7, 7), kWhite);
    EXPECT_EQ(GetPixelColour(8, 7), kRed);
    EXPECT_EQ(GetPixelColour(7, 8), kRed);
}

TEST_F(Drawing, XorPenMixesShapesButNotTextOrPixels) {
    BeginDrawing(ImageTarget(1));
    FillRect(0, 0, 320, 240, PackRGB(0, 255, 0));
    SetDrawMode(kXorPen);
    FillRect(0, 0, 10, 10, PackRGB(255, 255, 0));
    EXPECT_EQ(GetPixelColour(3, 3), PackRGB(255, 0, 0));
    FillRect(0, 0, 10, 10, PackRGB(255, 255, 0));
    FillCircle(50, 50, 9, PackRGB(255, 255, 0));
    FillCircle(50, 50, 9, PackRGB(255, 255, 0));
    EXPECT_EQ(CountColour(PackRGB(0, 255, 0)), 320 * 240);  // every pixel mixed exactly twice
    PutPixel(0, 0, kWhite);
    EXPECT_EQ(GetPixelColour(0, 0), kWhite);
}

TEST_F(Drawing, CirclesStayInsideTheirBoxes) {
    BeginDrawing(ImageTarget(10));
    FillCircle(4, 4, 4, kWhite);
    const std::vector<int> big = Covered(8, 8);
    EXPECT_EQ(big, (std::vector<int>{0, 0, 7, 7}));
    EXPECT_EQ(GetPixelColour(0, 0), 0);  // a circle, not a square
    FillRect(0, 0, 8, 8, 0);
    FillCircle(4, 4, 1, kWhite);
    EXPECT_EQ(Covered(8, 8), (std::vector<int>{3, 3, 4, 4}));
}

TEST_F(Drawing, ConcentricCirclesNest) {
    BeginDrawing(ImageTarget(1));
    for (std::int32_t r = 1; r <= 40; ++r) {
        FillRect(0, 0, 320, 240, 0);
        FillCircle(100, 100, r, kWhite);
        const int larger = CountColour(kWhite);
        FillCircle(100, 100, r - 1, kRed);
        // The smaller circle covers only pixels of the larger one.
        ASSERT_EQ(CountColour(kWhite) + CountColour(kRed), larger) << r;
        const std::vector<int> box = Covered(320, 240);
        ASSERT_EQ(box, (std::vector<int>{100 - r, 100 - r, 100 + r - 1, 100 + r - 1})) << r;
    }
}

TEST_F(Drawing, RadiusZeroDrawsTheCentrePixel) {
    BeginDrawing(ImageTarget(10));
    FillCircle(4, 4, 4, kRed);
    FillCircle(4, 4, 0, kWhite);
    EXPECT_EQ(GetPixelColour(4, 4), kWhite);
    EXPECT_EQ(GetPixelColour(3, 3), kRed);
}

TEST_F(Drawing, OutlineCircleIsAClosedRing) {
    BeginDrawing(ImageTarget(1));
    SetDrawMode(kOutlineOnly);
    FillCircle(50, 50, 10, kWhite);
    EXPECT_EQ(GetPixelColour(50, 50), 0);
    for (int x = 40; x < 60; ++x) {  // every column of the box has ring pixels above and below
        int hits = 0;
        for (int y = 40; y < 60; ++y) hits += GetPixelColour(x, y) == kWhite;
        EXPECT_GE(hits, 2) << x;
    }
}

TEST_F(Drawing, TextCursorAdvancesByTheTextWidth) {
    BeginDrawing(ImageTarget(1));
    SetDrawMode(kTransparentText);
    SetDrawColour(255, 255, 255);
    SetTextCursor(10, 10);
    DrawTextAtCursor("FPS: ");
    DrawTextAtCursor("8");
    DrawTextAtCursor("");
    DrawTextAtCursor(nullptr);
    SetTextCursor(10, 40);
    DrawTextAtCursor("FPS: 8");
    for (int y = 0; y < kGlyphHeight; ++y) {
        for (int x = 0; x < 6 * kGlyphWidth; ++x) {
            ASSERT_EQ(GetPixelColour(10 + x, 10 + y), GetPixelColour(10 + x, 40 + y)) << x;
        }
    }
    EXPECT_EQ(Covered(320, 30)[2], 10 + 5 * kGlyphWidth + kGlyphWidth - 1 - 2);
}

TEST_F(Drawing, OpaqueTextHasAWhiteBox) {
    BeginDrawing(ImageTarget(1));
    SetDrawColour(255, 0, 0);
    SetTextCursor(0, 0);
    DrawTextAtCursor("1");
    EXPECT_EQ(GetPixelColour(0, 0), kWhite);
    EXPECT_EQ(CountColour(kWhite) + CountColour(kRed), kGlyphWidth * kGlyphHeight);
    EXPECT_GT(CountColour(kRed), 5);
}

TEST(Font, DigitsAndLettersAreDistinctAndVisible) {
    const std::string text =
        "0123456789:ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz!?.,-+=()";
    std::set<std::vector<std::uint8_t>> shapes;
    for (char c : text) {
        const std::uint8_t* rows = GlyphRows(c);
        const std::vector<std::uint8_t> shape(rows, rows + kGlyphHeight);
        EXPECT_NE(shape, std::vector<std::uint8_t>(kGlyphHeight, 0)) << c;
        shapes.insert(shape);
    }
    EXPECT_EQ(shapes.size(), text.size());
    EXPECT_EQ(GlyphRows('\n'), GlyphRows('?'));
}

TEST_F(Drawing, BeginDrawingClosesTheOpenTargetFirst) {
    ASSERT_NE(BeginDrawing(ImageTarget(1)), 0u);
    ASSERT_NE(BeginDrawing(BackBufferTarget()), 0u);
    EXPECT_NE(ImageTarget(10), nullptr);  // image 1 was given back
    EXPECT_EQ(BeginDrawing(nullptr), 0u);
    EXPECT_NE(BackBufferTarget(), nullptr);
}

TEST_F(Drawing, DrawingStateStartsAfreshWithEveryTarget) {
    BeginDrawing(ImageTarget(1));
    SetDrawMode(kOutlineOnly | kXorPen);
    SetDrawColour(255, 255, 255);
    SetTextCursor(100, 100);
    EndDrawing();
    BeginDrawing(ImageTarget(1));
    FillRect(0, 0, 4, 4, kRed);  // solid, not xor, not hollow
    EXPECT_EQ(CountColour(kRed), 16);
    DrawTextAtCursor("W");  // black on white at (0, 0)
    EXPECT_EQ(GetPixelColour(0, 0), kWhite);
    EXPECT_GT(CountColour(0), 320 * 240 - 16 - kGlyphWidth * kGlyphHeight);
}

}  // namespace
