// Games on the headless host: start one, run one to its end, and clean up after each test.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cave/cave.h"
#include "game/frame_loop.h"
#include "game/player.h"
#include "headless_game.h"
#include "platform/display.h"
#include "shell/program.h"
#include "shell/shutdown.h"

namespace headless = host::headless;

class GameTest : public ::testing::Test {
  protected:
    // Every test leaves nothing behind, whichever way its game ended.
    void TearDown() override {
        ShutDown();
        EXPECT_EQ(headless::LivePixelBlocks(), 0u);
    }
    static void Start(std::uint32_t seed) { ASSERT_EQ(harness::StartGame({.Seed = seed}), 0); }
    static std::uint32_t CavePixel(std::int32_t x, std::int32_t y) {
        const ImageView cave = PeekImage(kCaveSprite);
        return cave.Pixels[y * cave.Width + x];
    }
};
