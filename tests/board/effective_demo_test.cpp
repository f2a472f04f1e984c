// A run's effective form must play exactly as the text it came from: the board keeps one entry
// for both, and ranks the points of the one it replayed.
#include "replay/effective_demo.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "headless_game.h"
#include "pilot.h"
#include "shell/shutdown.h"

namespace {

// Ends games that would fly or pause for ever, at the same moment for every form of a run.
class Bounds : public GameWatcher {
  public:
    bool FrameEnded() override { return ++Frames < 1500; }
    bool PauseTurnStarts() override { return host::headless::PollCount() < 2500; }
    std::uint64_t Frames = 0;
};

struct Played {
    GameOutcome::Ending How;
    std::vector<std::int32_t> Scores;
    std::uint64_t Frames;
    std::uint64_t Polls;
    bool operator==(const Played&) const = default;
};

Played Play(const Demo& demo) {
    Bounds bounds;
    const GameOutcome outcome = harness::PlayUntilEnd(
        {.Seed = demo.Seed, .Script = harness::HostEvents(demo.Changes)}, &bounds);
    const Played played{outcome.How, outcome.Scores, bounds.Frames, host::headless::PollCount()};
    EndProgram(outcome);
    return played;
}

// The pilot's run with key changes sprinkled over it: keys the game ignores, presses of keys
// already down, several changes at one poll, P pressed and let go, changes at poll 0, all in a
// shuffled order.
Demo Noisy(std::uint32_t seed) {
    Demo demo = ParseDemo(*harness::FlyDemo(seed, 120)).Value;
    std::uint32_t state = seed;
    const auto next = [&state](std::uint32_t range) {
        state = state * 1103515245u + 12345u;
        return (state >> 8) % range;
    };
    const std::uint8_t codes[] = {30, 57, 200, 200, 25};
    for (int i = 0; i < 60; ++i) {
        const std::uint32_t poll = next(180);
        demo.Changes.push_back({poll, codes[next(5)], next(2) == 1});
    }
    const std::uint32_t pause = 20 + next(100);
    demo.Changes.push_back({pause, 25, true});
    demo.Changes.push_back({pause + 5, 25, false});
    demo.Changes.push_back({pause + 30, 25, true});
    demo.Changes.push_back({pause + 30, 25, false});
    std::reverse(demo.Changes.begin() + static_cast<std::ptrdiff_t>(demo.Changes.size() / 2),
                 demo.Changes.end());
    return demo;
}

}  // namespace

TEST(EffectiveDemo, PlaysAsTheTextItCameFromUpToItsEnd) {
    for (const std::uint32_t seed : {2024u, 77u, 4242u, 9001u}) {
        SCOPED_TRACE(seed);
        const Demo noisy = Noisy(seed);
        const Played original = Play(noisy);
        const Demo effective = EffectiveDemo(noisy);
        const Demo kept = EffectiveDemo(noisy, original.Polls);
        EXPECT_EQ(Play(effective), original);
        EXPECT_EQ(Play(kept), original);
        EXPECT_LT(effective.Changes.size(), noisy.Changes.size());
        // Only the keys the game reads, each change a real one, by poll.
        bool down[256] = {};
        std::uint32_t last = 0;
        for (const KeyChange& change : effective.Changes) {
            EXPECT_TRUE(change.Code == 200 || change.Code == 25 || change.Code == 1);
            EXPECT_NE(down[change.Code], change.Down);
            EXPECT_GE(change.Poll, std::max(last, 1u));
            down[change.Code] = change.Down;
            last = change.Poll;
        }
        EXPECT_EQ(DemoText(EffectiveDemo(effective)), DemoText(effective));
        for (const KeyChange& change : kept.Changes) EXPECT_LE(change.Poll, original.Polls);
    }
}
