// The game's own code on the headless host: the random generator, the cave's painting and
// scrolling, and one whole running frame without its present and pacing wait.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>

#include "cave/cave.h"
#include "game/frame_loop.h"
#include "game/ghost.h"
#include "headless_game.h"
#include "platform/display.h"
#include "platform/drawing.h"
#include "platform/random.h"
#include "shell/program.h"
#include "shell/shutdown.h"

namespace {

constexpr std::uint32_t kSeed = 2024;

// A game ready for its first frame, shut down when the benchmark is done.
class Game {
  public:
    explicit Game(std::size_t ghosts = 0) {
        const harness::GameSetup setup{.Seed = kSeed,
                                       .Ghosts = std::vector<Demo>(ghosts, Demo{kSeed, {}})};
        if (const std::int32_t error = harness::StartGame(setup); error != 0) {
            std::fprintf(stderr, "the game did not start: error %d\n", error);
            std::abort();
        }
    }
    ~Game() { ShutDown(); }
    Game(const Game&) = delete;
    Game& operator=(const Game&) = delete;
};

void BM_RandomUpTo(benchmark::State& state) {
    SeedRandom(kSeed);
    for (auto _ : state) benchmark::DoNotOptimize(RandomUpTo(255));
}
BENCHMARK(BM_RandomUpTo);

void BM_PaintCaveColumn(benchmark::State& state) {
    const Game game;
    BeginDrawing(ImageTarget(kCaveSprite));
    for (auto _ : state) {
        PaintCaveColumn(160);
        benchmark::ClobberMemory();
    }
    EndDrawing();
}
BENCHMARK(BM_PaintCaveColumn);

void BM_BuildInitialCave(benchmark::State& state) {
    const Game game;
    for (auto _ : state) {
        state.PauseTiming();
        ListCreate(ColumnList);
        SeedRandom(kSeed);
        state.ResumeTiming();
        if (!BuildInitialCave()) state.SkipWithError("the cave image could not be made");
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_BuildInitialCave)->Unit(benchmark::kMillisecond);

void BM_ScrollCave(benchmark::State& state) {
    const Game game;
    for (auto _ : state) {
        ScrollCave(2);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_ScrollCave);

// Steps 1 to 16 of a running frame, with the ball kept flying; the present and the pacing wait
// are left out, they belong to the host.
void BM_Frame(benchmark::State& state) {
    const Game game;
    for (auto _ : state) {
        harness::KeepBallInPassage();
        StartFrame();
        ComposePicture();
        benchmark::ClobberMemory();
        if (Loop.AnyFlying == 0) {
            state.SkipWithError("the ball crashed: the frames measured are not running frames");
            break;
        }
    }
}
BENCHMARK(BM_Frame);

// The same frame with 99 ghosts beside the ball, all kept flying as well.
void BM_FrameWith99Ghosts(benchmark::State& state) {
    const Game game(99);
    for (auto _ : state) {
        harness::KeepBallInPassage();
        const CaveColumn& column = harness::ColumnAt(160);
        for (Ghost& ghost : Race.Ghosts) {
            ghost.Ball.Y = static_cast<float>((column.Upper + column.Lower) / 2.0 - 4.0);
            ghost.Ball.VelY = 0.0f;
        }
        StartFrame();
        ComposePicture();
        benchmark::ClobberMemory();
        if (Loop.AnyFlying == 0 || Race.Ghosts.back().Ball.Crashed != 0) {
            state.SkipWithError("a ball crashed: the frames measured are not running frames");
            break;
        }
    }
}
BENCHMARK(BM_FrameWith99Ghosts);

}  // namespace
