#include <algorithm>
#include <utility>

#include "game_fixture.h"
#include "platform/drawing.h"
#include "shell/score_report.h"

namespace {

using StartUpTest = GameTest;

TEST_F(StartUpTest, RockColourAndFirstCaveColumnFollowTheSeed) {
    // Seed 4242 as every build of the game has played it: the colour's draws, then the noise.
    Start(4242);
    EXPECT_EQ(Look.RockColour.Red, 247);
    EXPECT_EQ(Look.RockColour.Green, 207);
    EXPECT_EQ(Look.RockColour.Blue, 255);
    EXPECT_EQ(Look.RockBrightness, 255);
    EXPECT_EQ(Look.CaveBrightness, 190);
    const std::pair<std::int32_t, std::uint32_t> rows[] = {{0, 0x787878},   {1, 0x878787},
                                                           {2, 0x8E8E8E},   {3, 0x3E3E3E},
                                                           {120, 0x4E4E4E}, {239, 0x464646}};
    for (const auto& [y, pixel] : rows) EXPECT_EQ(CavePixel(0, y), pixel) << "row " << y;
    // The whole first column is grey noise, never brighter than 189.
    for (std::int32_t y = 0; y < kCaveHeight; ++y) {
        const std::uint32_t pixel = CavePixel(0, y);
        ASSERT_EQ(pixel, (pixel & 0xFFu) * 0x010101u) << "row " << y;
        ASSERT_LE(pixel & 0xFFu, 189u) << "row " << y;
    }
}

TEST_F(StartUpTest, RockColourHasOneFullComponentForAnySeed) {
    for (std::uint32_t seed = 0; seed < 20; ++seed) {
        Start(seed * 7919u);
        const RgbColour rock = Look.RockColour;
        EXPECT_TRUE(rock.Red == 255 || rock.Green == 255 || rock.Blue == 255) << seed;
        for (const std::int32_t c : {rock.Red, rock.Green, rock.Blue}) {
            EXPECT_GE(c, 192);
            EXPECT_LE(c, 255);
        }
        ShutDown();
    }
}

TEST_F(StartUpTest, FirstPlayerIsTheRedBallOnTheUpArrow) {
    Start(1);
    ASSERT_EQ(ListCount(PlayerList), 1);
    const Player& player = *ListCurrent(PlayerList);
    EXPECT_EQ(player.X, 160.0f);
    EXPECT_EQ(player.Y, 120.0f);
    EXPECT_EQ(player.Lift, 0.16f);
    EXPECT_EQ(player.Radius, 4.0f);
    EXPECT_EQ(player.GravityScale, 1.0f);
    EXPECT_EQ(player.SpriteId, 10);
    EXPECT_EQ(player.Colour, PackRGB(255, 0, 0));
    EXPECT_EQ(player.Key, 200);

    // A second player goes after the current one, with the next image number.
    ASSERT_TRUE(CreatePlayer(4, 2.0f, PackRGB(0, 0, 255), 25));
    EXPECT_EQ(ListCurrent(PlayerList)->SpriteId, 11);
    ListLast(PlayerList);
    EXPECT_EQ(ListCurrent(PlayerList)->Key, 25);
}

TEST_F(StartUpTest, BallIsShadedDarkToTheRimAndBlackAtTheCorners) {
    Start(1);
    ASSERT_TRUE(CreatePlayer(4, 1.0f, PackRGB(255, 255, 255), 25));
    // The row through the centre: the black (transparent) rim, then darker to brighter rings.
    const std::uint32_t shades[8] = {0, 98, 180, 236, 255, 180, 98, 0};
    for (const std::uint32_t unit : {0x010000u, 0x010101u}) {  // the red ball, then the white
        const ImageView ball = PeekImage(unit == 0x010000u ? 10 : 11);
        ASSERT_EQ(ball.Width, 8);
        ASSERT_EQ(ball.Height, 8);
        for (std::int32_t x = 0; x < 8; ++x) EXPECT_EQ(ball.Pixels[4 * 8 + x], shades[x] * unit);
        for (const std::int32_t corner : {0, 7, 56, 63}) EXPECT_EQ(ball.Pixels[corner], 0u);
    }
}

TEST(ScoreReportTest, ListsEveryPlayerInThousandsByPlaceInTheRoster) {
    EXPECT_EQ(ScoreReportText({999, 12345, -1000}),
              "Spielstand:\n\nPlayer 1: 0 Punkte\nPlayer 2: 12 Punkte\nPlayer 3: -1 Punkte\n");
    EXPECT_EQ(ScoreReportText({}), "Spielstand:\n\n");
}

TEST_F(StartUpTest, GameOverReportsTheScoresOfEveryPlayerInRosterOrder) {
    Start(1);
    ASSERT_TRUE(CreatePlayer(4, 1.0f, PackRGB(0, 255, 0), 25));
    PlayerList.First->Rec.Score = 7000;
    const GameOutcome outcome = RunGame();
    ASSERT_EQ(outcome.How, GameOutcome::Ending::Report);
    ASSERT_EQ(outcome.Scores.size(), 2u);
    EXPECT_GE(outcome.Scores[0], 7000);
    EXPECT_EQ(outcome.Scores[1], PlayerList.Last->Rec.Score);
}

struct FatalCase {
    headless::Failures Failures;
    int Code;
};

std::ptrdiff_t PlaceInLog(const std::string& entry) {
    const auto& log = headless::CallLog();
    return std::find(log.begin(), log.end(), entry) - log.begin();
}

TEST_F(StartUpTest, EveryFatalErrorShowsItsNumberShutsDownAndEndsWithIt) {
    const FatalCase cases[] = {
        {{.DisplaySystem = true}, 1},   {{.Keyboard = true}, 1},     {{.Window = true}, 2},
        {{.WindowedDisplay = true}, 3}, {{.PixelAllocation = 2}, 4}, {{.PixelAllocation = 3}, 5},
    };
    for (const FatalCase& fatal : cases) {
        EXPECT_EQ(harness::PlayGame({.Failures = fatal.Failures}), fatal.Code);
        const std::string text = "Fehler Nr." + std::to_string(fatal.Code);
        ASSERT_EQ(headless::Messages().size(), 1u) << text;
        EXPECT_EQ(headless::Messages()[0].Title, "ERROR");
        EXPECT_EQ(headless::Messages()[0].Text, text);
        EXPECT_EQ(headless::PollCount(), 0u);
        EXPECT_EQ(headless::LivePixelBlocks(), 0u) << text;
        EXPECT_EQ(ListCount(PlayerList) + ListCount(ColumnList), 0) << text;

        // The box, then keyboard, display and images, then windows.
        const auto shutdown = PlaceInLog("ShutdownDisplay");
        EXPECT_LT(PlaceInLog("ShowMessage ERROR"), shutdown) << text;
        EXPECT_LT(shutdown, static_cast<std::ptrdiff_t>(headless::CallLog().size())) << text;
        if (fatal.Code >= 2) {
            EXPECT_LT(PlaceInLog("CloseKeyboard"), shutdown) << text;
            EXPECT_LT(shutdown, PlaceInLog("DestroyHostWindow WindowClass_0")) << text;
        }
    }
    // Without a display the keyboard is not even tried.
    EXPECT_EQ(harness::StartGame({.Failures = {.DisplaySystem = true}}), kErrorDisplaySystem);
    EXPECT_EQ(PlaceInLog("OpenKeyboard"), static_cast<std::ptrdiff_t>(headless::CallLog().size()));
}

}  // namespace
