// Games on the headless host: start one, run one to its end, and clean up after each test.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cave/cave.h"
#include "game/frame_loop.h"
#include "platform/display.h"
#include "platform/host/headless_host.h"
#include "shell/player.h"
#include "shell/program.h"

namespace headless = host::headless;

// Runs `body` and returns the exit status the game ended with; -1 when it did not end.
template <typename Body>
int ExitStatusOf(Body body) {
    try {
        body();
    } catch (const headless::ProcessExit& exit) {
        return exit.Status;
    }
    return -1;
}

// Puts the ball in the middle of the passage it meets next, so that a game runs as long as a
// test needs.
inline void KeepBallInPassage() {
    ListSelect(ColumnList, 160);
    const CaveColumn& column = *ListCurrent(ColumnList);
    Player& ball = *ListCurrent(PlayerList);
    ball.Y = static_cast<float>((column.Upper + column.Lower) / 2.0 - ball.Radius);
    ball.VelY = 0.0f;
}

class GameTest : public ::testing::Test {
  protected:
    void SetUp() override {
        headless::Reset();
        Observer = {};
    }
    // Every test leaves nothing behind, whichever way its game ended.
    void TearDown() override {
        Observer = {};
        ExitStatusOf([] { EndProgram(0); });
        EXPECT_EQ(headless::LivePixelBlocks(), 0u);
    }
    static void Start(std::uint32_t seed) {
        headless::SetStartTick(seed);
        StartProgram();
    }
    static int RunWithScript(std::uint32_t seed, std::vector<headless::KeyEvent> script) {
        headless::SetStartTick(seed);
        headless::SetKeyScript(std::move(script));
        return ExitStatusOf(RunProgram);
    }
    static std::uint32_t CavePixel(std::int32_t x, std::int32_t y) {
        const ImageView cave = PeekImage(kCaveSprite);
        return cave.Pixels[y * cave.Width + x];
    }
    static const CaveColumn& ColumnAt(std::int32_t index) {
        ListSelect(ColumnList, index);
        return *ListCurrent(ColumnList);
    }
};
