// The cave scrolls and the rock colour drifts under the real frame loop, with every invariant
// checked after every frame. CAVE_SOAK_FRAMES sets the length.
#include <gtest/gtest.h>

#include <deque>

#include "cave_invariants.h"
#include "headless_game.h"
#include "shell/program.h"
#include "soak_length.h"

namespace headless = host::headless;

namespace {

struct CaveSoak {
    std::uint64_t Limit = 0;
    std::uint64_t Frames = 0;
    RgbColour Drifted{};  // the rock colour after the last frame: the next frame paints with it
    std::deque<RgbColour> Painted;    // per screen column, the rock colour it was painted with
    std::uint64_t GapsOfSixteen = 0;  // new records whose stored gap rounded down to 16
    std::string Broken;
};
CaveSoak Soak;

// Returns false, which ends the game.
bool Stop(std::string broken) {
    Soak.Broken = std::move(broken);
    return false;
}

// False when the game has to stop.
bool CheckColumns(std::int32_t first) {
    std::string broken = CheckColumnRecords();
    for (std::int32_t x = first; broken.empty() && x < kCaveWidth; ++x) {
        broken = CheckPaintedColumn(x, Soak.Painted[x]);
    }
    if (broken.empty()) broken = CheckRockColour(Look.RockColour);
    if (!broken.empty()) return Stop("frame " + std::to_string(Soak.Frames) + ": " + broken);
    Soak.Drifted = Look.RockColour;
    return true;
}

bool OnGameStart() {
    // The whole initial cave was painted with the start-up colour; column 0 is plain noise.
    Soak.Painted.assign(kCaveWidth, Look.RockColour);
    return CheckColumns(1);
}

void CountGapsOfSixteen() {
    for (const auto* node = ColumnList.Last; node != ColumnList.Last->Prev->Prev;
         node = node->Prev) {
        if (static_cast<double>(node->Rec.Lower) - node->Rec.Upper <= 16.0) ++Soak.GapsOfSixteen;
    }
}

bool OnFrameEnd() {
    ++Soak.Frames;
    for (std::int32_t i = 0; i < 2; ++i) {
        Soak.Painted.pop_front();
        Soak.Painted.push_back(Soak.Drifted);
    }
    // The new columns every frame; every column once the screen has turned over, which also
    // proves that the old ones moved left intact.
    if (!CheckColumns(Soak.Frames % 160 == 0 ? 0 : kCaveWidth - 2)) return false;
    CountGapsOfSixteen();
    // The ball rides the middle of the passage, so the game never ends by itself.
    harness::KeepBallInPassage();
    return Soak.Frames < Soak.Limit;
}

TEST(CaveSoak, EveryFrameKeepsTheColumnsTheTextureAndTheRockColourSound) {
    for (const std::uint32_t seed : {7u, 4000000000u}) {
        Soak = CaveSoak{};
        Soak.Limit = SoakLength("CAVE_SOAK_FRAMES", 2000);
        harness::Hooks hooks;
        hooks.OnGameStart = OnGameStart;
        hooks.OnFrameEnd = OnFrameEnd;
        EXPECT_EQ(harness::PlayGame({.Seed = seed}, &hooks), 0);
        EXPECT_EQ(Soak.Broken, "") << "seed " << seed;
        EXPECT_EQ(Soak.Frames, Soak.Limit) << "seed " << seed;
        EXPECT_EQ(headless::Messages().size(), 0u);
        EXPECT_EQ(headless::LivePixelBlocks(), 0u);
        std::printf("seed %u: %llu frames checked, %llu new records with a stored gap of 16\n",
                    seed, static_cast<unsigned long long>(Soak.Frames),
                    static_cast<unsigned long long>(Soak.GapsOfSixteen));
    }
}

}  // namespace
