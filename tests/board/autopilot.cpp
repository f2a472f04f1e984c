// Makes demos of long runs by flying the game: before each poll it holds Up while the ball, at
// its present speed, would be below the middle of the passage it meets ten frames on; from poll
// FLY_POLLS on it lets go, and the ball falls into the rock. The demo replays to the same crash
// anywhere. It fails (status 1) when the ball crashes before FLY_POLLS: some caves outwit it,
// and another seed will do.
//   board_autopilot SEED FLY_POLLS > run.demo
#include <cstdio>
#include <string>

#include "game/player.h"
#include "headless_game.h"
#include "platform/key_script.h"
#include "shell/shutdown.h"

namespace headless = host::headless;

namespace {

constexpr std::uint8_t kUp = 200;
constexpr double kAheadFrames = 10.0;

bool WantsUp() {
    const Player& ball = PlayerList.First->Rec;
    const CaveColumn& ahead =
        harness::ColumnAt(static_cast<std::int32_t>(ball.X + kAheadFrames * kScrollStep));
    // The ball moves twice its velocity a frame.
    const double centre =
        static_cast<double>(ball.Y) + ball.Radius + 2.0 * ball.VelY * kAheadFrames;
    return centre > (ahead.Upper + ahead.Lower) / 2.0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fputs("usage: board_autopilot SEED FLY_POLLS\n", stderr);
        return 2;
    }
    Demo demo{static_cast<std::uint32_t>(std::stoul(argv[1])), {}};
    const std::uint64_t flyPolls = std::stoull(argv[2]);
    if (harness::StartGame({.Seed = demo.Seed}) != 0) return 1;
    // After start-up, which resets the host and its hooks.
    bool held = false;
    headless::SetPollHook([&](std::uint64_t poll) {
        const bool up = poll < flyPolls && WantsUp();
        if (up == held) return;
        held = up;
        demo.Changes.push_back({static_cast<std::uint32_t>(poll), kUp, up});
        headless::SetKeyScript({{static_cast<std::uint32_t>(poll), kUp, up}});
    });
    const GameOutcome outcome = RunGame();
    const std::uint64_t polls = headless::PollCount();
    headless::SetPollHook(nullptr);
    // The one shutdown path frees what the game holds.
    EndProgram(outcome);
    if (outcome.How != GameOutcome::Ending::Report || polls < flyPolls) {
        std::fprintf(stderr, "board_autopilot: crashed at poll %llu, before %llu\n",
                     static_cast<unsigned long long>(polls),
                     static_cast<unsigned long long>(flyPolls));
        return 1;
    }
    std::fputs(DemoText(demo).c_str(), stdout);
    return 0;
}
