#include <cmath>
#include <vector>

#include "cave/rounding.h"
#include "game/rock_drift.h"
#include "game_fixture.h"
#include "platform/drawing.h"

namespace {

using harness::ColumnAt;

class CaveTest : public GameTest {
  protected:
    // Which rule painted each pixel of image column x, given the record and the rock colour it
    // was painted with: open rows are greys no brighter than the open height allows, rock rows
    // are shades of the rock colour.
    static void ExpectPaintedByTheRules(std::int32_t x, const CaveColumn& column,
                                        const RgbColour& rock) {
        const std::int32_t height = RoundToInt(static_cast<double>(column.Lower) - column.Upper);
        const std::int32_t brightest = 190 * height / 240;
        for (std::int32_t y = 0; y < kCaveHeight; ++y) {
            const std::uint32_t pixel = CavePixel(x, y);
            const std::int32_t red = static_cast<std::int32_t>(pixel >> 16);
            const bool open = y >= RoundToInt(column.Upper) && y <= RoundToInt(column.Lower);
            if (open) {
                ASSERT_EQ(pixel, static_cast<std::uint32_t>(red) * 0x010101u) << x << "," << y;
                ASSERT_LE(red, brightest) << x << "," << y;
            } else {
                ASSERT_TRUE(IsRockShade(pixel, rock)) << x << "," << y << " " << std::hex << pixel;
            }
        }
    }
    static bool IsRockShade(std::uint32_t pixel, const RgbColour& rock) {
        for (std::int32_t v = 0; v <= 255; ++v) {
            const std::uint32_t shade = static_cast<std::uint32_t>(
                (v * rock.Red / 255) << 16 | (v * rock.Green / 255) << 8 | (v * rock.Blue / 255));
            if (shade == pixel) return true;
        }
        return false;
    }
    static void ExpectWalkBounds() {
        ASSERT_EQ(ListCount(ColumnList), 320);
        ListReset(ColumnList);
        while (const CaveColumn* column = ListNext(ColumnList)) {
            if (column == &ColumnList.First->Rec && column->Upper == 0.0f) continue;
            ASSERT_GT(column->Upper, 0.0f);
            ASSERT_LT(column->Lower, 239.0f);
            ASSERT_GT(static_cast<double>(column->Lower) - column->Upper, 16.0);
        }
    }
};

TEST_F(CaveTest, InitialCaveStartsFullHeightAndWalksGently) {
    Start(77);
    EXPECT_EQ(ListCount(ColumnList), 320);
    EXPECT_EQ(ListCurrent(ColumnList), &ColumnList.Last->Rec);
    EXPECT_EQ(ColumnAt(0).Upper, 0.0f);
    EXPECT_EQ(ColumnAt(0).Lower, 239.0f);
    ExpectWalkBounds();
    for (std::int32_t x = 1; x < kCaveWidth; ++x) {
        const CaveColumn before = ColumnAt(x - 1);
        const CaveColumn& column = ColumnAt(x);
        EXPECT_LE(std::fabs(column.Upper - RoundToInt(before.Upper)), 1.0f) << x;
        EXPECT_LE(std::fabs(column.Lower - RoundToInt(before.Lower)), 1.0f) << x;
        ExpectPaintedByTheRules(x, column, Look.RockColour);
    }
}

TEST_F(CaveTest, ScrollingKeepsModelAndPictureInStepWithTheRockColourOfTheirFrame) {
    Start(5);
    const std::uint32_t column2 = CavePixel(2, 100);
    const CaveColumn record3 = ColumnAt(3);
    std::vector<RgbColour> paintedWith(kCaveWidth, Look.RockColour);
    ScrollCave(2);
    EXPECT_EQ(CavePixel(0, 100), column2);
    EXPECT_EQ(ColumnAt(1).Upper, record3.Upper);
    EXPECT_EQ(ColumnAt(1).Lower, record3.Lower);

    for (std::int32_t frame = 0; frame < 1500; ++frame) {
        paintedWith.erase(paintedWith.begin(), paintedWith.begin() + 2);
        DriftRockColour();
        paintedWith.resize(kCaveWidth, Look.RockColour);
        ScrollCave(2);
    }
    EXPECT_EQ(ListCurrent(ColumnList), &ColumnList.Last->Rec);
    ExpectWalkBounds();
    for (std::int32_t x = 0; x < kCaveWidth; ++x) {
        ExpectPaintedByTheRules(x, ColumnAt(x), paintedWith[x]);
    }
}

TEST_F(CaveTest, ScrollByNothingOnlyMovesTheCursorToTheEnd) {
    Start(9);
    const std::vector<std::uint32_t> before(PeekImage(kCaveSprite).Pixels,
                                            PeekImage(kCaveSprite).Pixels + 320 * 240);
    const CaveColumn first = ColumnAt(0);
    ListFirst(ColumnList);
    ScrollCave(0);
    EXPECT_EQ(ListCurrent(ColumnList), &ColumnList.Last->Rec);
    EXPECT_EQ(ColumnAt(0).Lower, first.Lower);
    EXPECT_TRUE(std::equal(before.begin(), before.end(), PeekImage(kCaveSprite).Pixels));
}

TEST_F(CaveTest, EdgeRowsRoundHalvesToEvenAndAreOpen) {
    EXPECT_FALSE(IsRockRow({20.5f, 100.0f}, 20));
    EXPECT_TRUE(IsRockRow({21.5f, 100.0f}, 21));
    EXPECT_FALSE(IsRockRow({21.5f, 100.0f}, 22));
    EXPECT_FALSE(IsRockRow({30.0f, 100.4f}, 100));
    EXPECT_TRUE(IsRockRow({30.0f, 100.4f}, 101));
    EXPECT_FALSE(IsRockRow({30.0f, 100.5f}, 100));  // rounds to 100, 101 is rock
    EXPECT_TRUE(IsRockRow({30.0f, 100.5f}, 101));
}

TEST_F(CaveTest, TexturePixelsTakeRockColourOrOpenHeightGrey) {
    Look.RockBrightness = 255;
    Look.CaveBrightness = 190;
    const CaveColumn column{40.25f, 160.5f};  // open height 120.25 rounds to 120
    Look.RockColour = {255, 224, 192};
    EXPECT_EQ(TextureColour(column, 10, 200), PackRGB(200, 175, 150));
    Look.RockColour = {192, 224, 255};
    EXPECT_EQ(TextureColour(column, 10, 200), PackRGB(150, 175, 200));
    EXPECT_EQ(TextureColour(column, 100, 200), PackRGB(74, 74, 74));
    EXPECT_EQ(TextureColour({10.0f, 26.0f}, 20, 255), PackRGB(12, 12, 12));
    EXPECT_EQ(TextureColour({0.0f, 239.0f}, 20, 255), PackRGB(189, 189, 189));
}

}  // namespace
