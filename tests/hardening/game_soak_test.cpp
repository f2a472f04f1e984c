// Many whole games in one process, each with a random key script: every game starts from clean
// state, ends the way a game ends, and leaves nothing behind. CAVE_SOAK_GAMES sets the count.
#include <gtest/gtest.h>
#include <malloc.h>
#include <unistd.h>

#include <fstream>
#include <random>
#include <vector>

#include "game/player.h"
#include "headless_game.h"
#include "platform/keyboard.h"
#include "shell/program.h"
#include "shell/shutdown.h"
#include "soak_length.h"

namespace headless = host::headless;

namespace {

constexpr std::uint64_t kMaxFrames = 100000;

struct GameRecord {
    int Status = -1;
    std::vector<headless::Message> Messages;
    std::uint64_t Polls = 0;
    std::vector<std::uint32_t> Picture;
};

using Game = harness::GameSetup;

// Up held and let go in random bursts; now and then P twice (a pause and its end) and, rarely,
// Escape. Every pause is closed again, so a game can always end.
Game RandomGame(std::mt19937& random) {
    Game game{.Seed = static_cast<std::uint32_t>(random())};
    std::uint32_t poll = 1;
    const auto gap = [&](std::uint32_t most) { return 1 + random() % most; };
    const auto tap = [&](std::uint8_t code) {
        game.Script.push_back({poll += gap(5), code, true});
        game.Script.push_back({poll += gap(5), code, false});
    };
    const std::uint32_t bursts = random() % 60;
    for (std::uint32_t i = 0; i < bursts; ++i) {
        poll += gap(8);
        game.Script.push_back({poll, kKeyUp, true});
        game.Script.push_back({poll += gap(12), kKeyUp, false});
        if (random() % 10 == 0) {
            tap(kKeyP);
            tap(kKeyP);
        }
        if (random() % 200 == 0) tap(kKeyEscape);
    }
    return game;
}

std::uint64_t FramesThisGame = 0;

GameRecord Play(const Game& game) {
    FramesThisGame = 0;
    harness::Hooks hooks;
    // A game that does not end is stopped and fails on its status.
    hooks.OnFrameEnd = [] { return ++FramesThisGame <= kMaxFrames; };
    GameRecord record;
    const GameOutcome outcome = harness::PlayUntilEnd(game, &hooks);
    record.Status = EndProgram(outcome);
    if (outcome.How == GameOutcome::Ending::Stopped) record.Status = -1;
    record.Messages = headless::Messages();
    record.Polls = headless::PollCount();
    record.Picture = headless::LastPicture();
    return record;
}

std::size_t ResidentBytes() {
    std::ifstream statm("/proc/self/statm");
    std::size_t pages = 0;
    std::size_t resident = 0;
    statm >> pages >> resident;
    return resident * static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
}

std::size_t HeapInUse() { return mallinfo2().uordblks; }

// Under AddressSanitizer freed memory waits in quarantine and the allocator is its own: memory
// figures mean nothing there, and LeakSanitizer checks for leaks instead.
#if defined(__SANITIZE_ADDRESS__)
constexpr bool kMemoryFiguresMeanSomething = false;
#else
constexpr bool kMemoryFiguresMeanSomething = true;
#endif

TEST(GameSoak, ManyGamesInOneProcessEndCleanlyAndLeaveNothingBehind) {
    const std::uint64_t games = SoakLength("CAVE_SOAK_GAMES", 60);
    std::mt19937 random(20261208);
    const Game first = RandomGame(random);
    const GameRecord reference = Play(first);
    std::size_t residentAfterWarmUp = 0;
    std::size_t heapAfterWarmUp = 0;
    std::uint64_t reports = 0;
    std::uint64_t frames = 0;
    for (std::uint64_t i = 1; i < games; ++i) {
        const GameRecord record = Play(RandomGame(random));
        frames += FramesThisGame;
        ASSERT_EQ(record.Status, 0) << "game " << i;
        ASSERT_LE(record.Messages.size(), 1u) << "game " << i;
        if (!record.Messages.empty()) {
            ASSERT_EQ(record.Messages[0].Title, "Game Over!") << "game " << i;
            ++reports;
        }
        ASSERT_EQ(headless::LivePixelBlocks(), 0u) << "game " << i;
        ASSERT_EQ(ListCount(PlayerList) + ListCount(ColumnList), 0) << "game " << i;
        if (i == 10) {
            residentAfterWarmUp = ResidentBytes();
            heapAfterWarmUp = HeapInUse();
        }
    }
    // A game played after all the others comes out exactly as it did first.
    const GameRecord again = Play(first);
    EXPECT_EQ(again.Status, reference.Status);
    ASSERT_EQ(again.Messages.size(), reference.Messages.size());
    if (!again.Messages.empty()) {
        EXPECT_EQ(again.Messages[0].Text, reference.Messages[0].Text);
    }
    EXPECT_EQ(again.Polls, reference.Polls);
    EXPECT_EQ(again.Picture, reference.Picture);
    EXPECT_GT(reports, games / 2);

    std::printf("%llu games, %llu frames, %llu score reports\n",
                static_cast<unsigned long long>(games), static_cast<unsigned long long>(frames),
                static_cast<unsigned long long>(reports));
    if (kMemoryFiguresMeanSomething && games > 10) {
        const std::size_t resident = ResidentBytes();
        const std::size_t heap = HeapInUse();
        std::printf("resident %zu -> %zu bytes, heap in use %zu -> %zu bytes\n",
                    residentAfterWarmUp, resident, heapAfterWarmUp, heap);
        EXPECT_LE(resident, residentAfterWarmUp + 1024 * 1024);
        EXPECT_LE(heap, heapAfterWarmUp + 64 * 1024);
    }
}

}  // namespace
