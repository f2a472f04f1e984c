#include <cmath>
#include <vector>

#include "cave/rounding.h"
#include "cave/texture.h"
#include "cave_invariants.h"
#include "game/rock_drift.h"
#include "game_fixture.h"
#include "platform/drawing.h"

namespace {

using harness::ColumnAt;

using CaveTest = GameTest;

TEST_F(CaveTest, InitialCaveStartsFullHeightAndWalksGently) {
    Start(77);
    EXPECT_EQ(ListCurrent(ColumnList), &ColumnList.Last->Rec);
    EXPECT_EQ(ColumnAt(0).Upper, 0.0f);
    EXPECT_EQ(ColumnAt(0).Lower, 239.0f);
    EXPECT_EQ(CheckColumnRecords(), "");
    for (std::int32_t x = 1; x < kCaveWidth; ++x) {
        const CaveColumn before = ColumnAt(x - 1);
        const CaveColumn& column = ColumnAt(x);
        EXPECT_LE(std::fabs(column.Upper - RoundToInt(before.Upper)), 1.0f) << x;
        EXPECT_LE(std::fabs(column.Lower - RoundToInt(before.Lower)), 1.0f) << x;
        EXPECT_EQ(CheckPaintedColumn(x, Look.RockColour), "");
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
    EXPECT_EQ(CheckColumnRecords(), "");
    for (std::int32_t x = 0; x < kCaveWidth; ++x) {
        EXPECT_EQ(CheckPaintedColumn(x, paintedWith[x]), "");
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

TEST(CaveTextureTest, EdgeRowsRoundHalvesToEvenAndAreOpen) {
    const auto rockRow = [](CaveColumn column, std::int32_t y) {
        return IsRockRow(ShadeOf(column, {{255, 255, 255}, 255, 190}), y);
    };
    EXPECT_FALSE(rockRow({20.5f, 100.0f}, 20));
    EXPECT_TRUE(rockRow({21.5f, 100.0f}, 21));
    EXPECT_FALSE(rockRow({21.5f, 100.0f}, 22));
    EXPECT_FALSE(rockRow({30.0f, 100.4f}, 100));
    EXPECT_TRUE(rockRow({30.0f, 100.4f}, 101));
    EXPECT_FALSE(rockRow({30.0f, 100.5f}, 100));  // rounds to 100, 101 is rock
    EXPECT_TRUE(rockRow({30.0f, 100.5f}, 101));
}

TEST(CaveTextureTest, PixelsTakeRockColourOrOpenHeightGrey) {
    const auto colour = [](RgbColour rock, CaveColumn column, std::int32_t y, std::int32_t q) {
        return ShadeColour(ShadeOf(column, {rock, 255, 190}), y, q);
    };
    const CaveColumn column{40.25f, 160.5f};  // open height 120.25 rounds to 120
    EXPECT_EQ(colour({255, 224, 192}, column, 10, 200), PackRGB(200, 175, 150));
    EXPECT_EQ(colour({192, 224, 255}, column, 10, 200), PackRGB(150, 175, 200));
    EXPECT_EQ(colour({192, 224, 255}, column, 100, 200), PackRGB(74, 74, 74));
    EXPECT_EQ(colour({192, 224, 255}, {10.0f, 26.0f}, 20, 255), PackRGB(12, 12, 12));
    EXPECT_EQ(colour({192, 224, 255}, {0.0f, 239.0f}, 20, 255), PackRGB(189, 189, 189));
}

}  // namespace
