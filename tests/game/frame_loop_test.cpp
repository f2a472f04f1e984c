#include <algorithm>
#include <cstring>

#include "game/hud.h"
#include "game/rock_drift.h"
#include "game_fixture.h"
#include "platform/keyboard.h"
#include "platform/random.h"

namespace {

using headless::KeyEvent;

// What the hooks saw.
struct Seen {
    int Frames = 0;
    int PauseTurns = 0;
    int CaveOnlyPictures = 0;
    std::uint64_t PollsAtFrameEnd[16] = {};
    std::int32_t FpsCountAt501 = -1;
    std::int32_t FpsCountAt502 = -1;
    float BallY = 0.0f;  // at the first pause turn
    int BallMovedInPause = 0;
    bool BorderRed = false;
    bool FpsTextWhite = false;
    bool ScoreTextWhite = false;
};

bool AnyWhite(std::int32_t left, std::int32_t top, std::int32_t right, std::int32_t bottom) {
    const ImageView picture = PeekBackBuffer();
    for (std::int32_t y = top; y < bottom; ++y) {
        for (std::int32_t x = left; x < right; ++x) {
            if (picture.Pixels[y * picture.Width + x] == 0xFFFFFFu) return true;
        }
    }
    return false;
}

bool BorderIsRed() {
    const ImageView picture = PeekBackBuffer();
    bool red = true;
    for (std::int32_t x = 0; x < 320; ++x) {
        for (const std::int32_t y : {0, 239}) red &= picture.Pixels[y * 320 + x] == 0xFF0000u;
    }
    for (std::int32_t y = 0; y < 240; ++y) {
        for (const std::int32_t x : {0, 319}) red &= picture.Pixels[y * 320 + x] == 0xFF0000u;
    }
    return red;
}

class FrameLoopTest : public GameTest {
  protected:
    void SetUp() override {
        hooks.OnFrameEnd = [this] { return CountFrame(); };
    }
    bool CountFrame() {
        if (seen.Frames < 16) seen.PollsAtFrameEnd[seen.Frames] = headless::PollCount();
        ++seen.Frames;
        return true;
    }
    int Play(std::uint32_t seed, std::vector<KeyEvent> script) {
        return harness::PlayGame({.Seed = seed, .Script = std::move(script)}, &hooks);
    }
    Seen seen;
    harness::Hooks hooks;
};

std::vector<KeyEvent> Press(std::uint8_t code, std::uint32_t downPoll, std::uint32_t upPoll) {
    return {{downPoll, code, true}, {upPoll, code, false}};
}

std::ptrdiff_t PlaceInLog(const std::string& entry) {
    const auto& log = headless::CallLog();
    return std::find(log.begin(), log.end(), entry) - log.begin();
}

TEST_F(FrameLoopTest, CrashedBallEndsTheGameWithTheScoreReport) {
    EXPECT_EQ(Play(1, {}), 0);
    ASSERT_EQ(headless::Messages().size(), 1u);
    EXPECT_EQ(headless::Messages()[0].Title, "Game Over!");
    EXPECT_EQ(headless::Messages()[0].Text, "Spielstand:\n\nPlayer 1: 0 Punkte\n");
    // The frame after the crash presents the crash, then reports: one poll, no frame end.
    EXPECT_EQ(headless::PollCount(), static_cast<std::uint64_t>(seen.Frames) + 1);
    EXPECT_LE(seen.Frames, 35);
    // The box comes before the shutdown path.
    EXPECT_LT(PlaceInLog("ShowMessage Game Over!"), PlaceInLog("CloseKeyboard"));
}

TEST_F(FrameLoopTest, EscapeEndsTheFrameItIsReleasedInWithoutReportAndShutsDownInOrder) {
    EXPECT_EQ(Play(3, Press(kKeyEscape, 2, 4)), 0);
    EXPECT_EQ(seen.Frames, 4);
    EXPECT_TRUE(headless::Messages().empty());
    // Keyboard, then display and images, then windows, which come last.
    const auto& log = headless::CallLog();
    EXPECT_LT(PlaceInLog("CloseKeyboard"), PlaceInLog("ShutdownDisplay"));
    EXPECT_LT(PlaceInLog("ShutdownDisplay"), PlaceInLog("DestroyHostWindow WindowClass_0"));
    EXPECT_EQ(log.back(), "DestroyHostWindow WindowClass_0");
}

TEST_F(FrameLoopTest, PauseShowsTheCaveAloneAndFreezesTheBall) {
    hooks.OnPauseTurn = [this] {
        ++seen.PauseTurns;
        const std::vector<std::uint32_t>& shown = headless::LastPicture();
        const ImageView cave = PeekImage(kCaveSprite);
        if (std::equal(shown.begin(), shown.end(), cave.Pixels)) ++seen.CaveOnlyPictures;
        const float y = PlayerList.First->Rec.Y;
        if (seen.PauseTurns == 1) seen.BallY = y;
        if (y != seen.BallY) ++seen.BallMovedInPause;
        return true;
    };
    std::vector<KeyEvent> script = Press(kKeyP, 2, 3);  // paused after frame 3
    for (const KeyEvent& event : Press(kKeyP, 6, 7)) script.push_back(event);  // resumed at poll 7
    for (const KeyEvent& event : Press(kKeyEscape, 9, 10)) script.push_back(event);
    EXPECT_EQ(Play(11, script), 0);
    EXPECT_EQ(seen.PauseTurns, 4);        // polls 4 to 7
    EXPECT_EQ(seen.CaveOnlyPictures, 3);  // every turn after the first shows the last turn's cave
    EXPECT_EQ(seen.PollsAtFrameEnd[2], 7u);
    EXPECT_EQ(seen.Frames, 6);  // frames at polls 1, 2, 3, 8, 9, 10
    EXPECT_EQ(seen.BallMovedInPause, 0);
}

TEST_F(FrameLoopTest, EscapeWhilePausedEndsThatPauseTurnAndTheGame) {
    std::vector<KeyEvent> script = Press(kKeyP, 2, 3);
    for (const KeyEvent& event : Press(kKeyEscape, 5, 6)) script.push_back(event);
    EXPECT_EQ(Play(12, script), 0);
    EXPECT_EQ(seen.Frames, 3);
    EXPECT_EQ(headless::PollCount(), 6u);
    EXPECT_TRUE(headless::Messages().empty());
}

TEST_F(FrameLoopTest, PictureHasRedBorderAndBothReadOuts) {
    hooks.OnFrameEnd = [this] {
        seen.BorderRed = BorderIsRed();
        seen.FpsTextWhite = AnyWhite(10, 10, 60, 24);
        seen.ScoreTextWhite = AnyWhite(270, 190, 280, 204);
        return false;
    };
    EXPECT_EQ(harness::PlayUntilEnd({.Seed = 13}, &hooks).How, GameOutcome::Ending::Stopped);
    EXPECT_TRUE(seen.BorderRed);
    EXPECT_TRUE(seen.FpsTextWhite);
    EXPECT_TRUE(seen.ScoreTextWhite);
}

TEST_F(FrameLoopTest, FpsWindowRestartsAfter500Frames) {
    hooks.OnFrameEnd = [this] {
        CountFrame();
        if (seen.Frames == 501) seen.FpsCountAt501 = Loop.FpsFrameCount;
        if (seen.Frames == 502) seen.FpsCountAt502 = Loop.FpsFrameCount;
        harness::KeepBallInPassage();
        return seen.Frames < 502;
    };
    EXPECT_EQ(Play(14, {}), 0);
    EXPECT_EQ(seen.FpsCountAt501, 0);
    EXPECT_EQ(seen.FpsCountAt502, 1);
}

TEST(FpsReadOutTest, RoundsHalvesToEvenAndShowsZeroWithoutElapsedTime) {
    EXPECT_STREQ(FpsReadOut(1, 0).Text, "FPS: 0");
    EXPECT_STREQ(FpsReadOut(0, 0).Text, "FPS: 0");
    EXPECT_STREQ(FpsReadOut(1, 32).Text, "FPS: 31");
    EXPECT_STREQ(FpsReadOut(1, 16).Text, "FPS: 62");  // 62.5
    EXPECT_STREQ(FpsReadOut(1, 80).Text, "FPS: 12");  // 12.5
    EXPECT_STREQ(FpsReadOut(3, 400).Text, "FPS: 8");  // 7.5
    EXPECT_STREQ(FpsReadOut(500, 4294967295u).Text, "FPS: 0");
}
TEST(RockDriftTest, ComponentsStayInRangeWithOneAlwaysFull) {
    const RgbColour starts[] = {{255, 192, 192}, {192, 255, 192}, {192, 192, 255},
                                {255, 255, 200}, {255, 200, 255}, {255, 255, 255}};
    for (std::uint32_t seed = 0; seed < 6; ++seed) {
        SeedRandom(seed);
        Look.RockColour = starts[seed];
        for (int frame = 0; frame < 20000; ++frame) {
            DriftRockColour();
            const RgbColour& rock = Look.RockColour;
            ASSERT_TRUE(rock.Red == 255 || rock.Green == 255 || rock.Blue == 255) << frame;
            ASSERT_GE(std::min({rock.Red, rock.Green, rock.Blue}), 192) << frame;
            ASSERT_LE(std::max({rock.Red, rock.Green, rock.Blue}), 255) << frame;
        }
    }
}

TEST(RockDriftTest, LeaderStepsDownWhenAnotherComponentReachesFull) {
    // Draws +1 for green (which takes the lead from red), then -1 for red under green.
    for (std::uint32_t seed = 0; seed < 1000; ++seed) {
        SeedRandom(seed);
        const std::int32_t green = RandomUpTo(2), blue = RandomUpTo(2), red = RandomUpTo(2);
        if (green != 2 || red != 0 || blue == 2) continue;
        SeedRandom(seed);
        Look.RockColour = {255, 254, 200};
        DriftRockColour();
        EXPECT_EQ(Look.RockColour.Red, 253);
        EXPECT_EQ(Look.RockColour.Green, 255);
        return;
    }
    FAIL() << "no seed gave the draws";
}

}  // namespace
