#include "replay.h"

#include <algorithm>

#include "replay/effective_demo.h"
#include "headless_game.h"
#include "platform/watch_link.h"
#include "shell/shutdown.h"

namespace headless = host::headless;

namespace {

// Stops a run at the frame limit, and at a pause that no scripted key can ever end.
class Limits : public GameWatcher {
  public:
    Limits(std::uint32_t maxFrames, std::uint64_t lastPoll)
        : maxFrames(maxFrames), lastPoll(lastPoll) {}
    bool FrameEnded() override {
        ++Frames;
        if (Frames < maxFrames) return true;
        Ending = "limit";
        return false;
    }
    bool PauseTurnStarts() override {
        if (headless::PollCount() < lastPoll) return true;
        Ending = "paused";
        return false;
    }
    std::uint64_t Frames = 0;
    std::string Ending = "limit";

  private:
    std::uint32_t maxFrames;
    std::uint64_t lastPoll;
};

std::string EndingOf(const GameOutcome& outcome, const Limits& limits) {
    switch (outcome.How) {
        case GameOutcome::Ending::Report:
            return "report";
        case GameOutcome::Ending::Quit:
            return "quit";
        case GameOutcome::Ending::Stopped:
            return limits.Ending;
        case GameOutcome::Ending::Fatal:
            break;
    }
    return "fatal";
}

}  // namespace

std::string ReplayLine(const std::string& demo, std::uint32_t maxFrames) {
    const ParsedDemo parsed = ParseAnyDemo(demo);
    if (!parsed.Error.empty()) return "error " + parsed.Error + "\n";
    // Keys the game never reads cannot hold a pause open: the run is played as the board keeps it.
    const Demo played = EffectiveDemo(parsed.Value);
    const std::vector<KeyChange>& changes = played.Changes;
    // After the last change the keys never change again.
    std::uint64_t lastPoll = 0;
    for (const KeyChange& change : changes)
        lastPoll = std::max<std::uint64_t>(lastPoll, change.Poll);
    Limits limits(maxFrames, lastPoll);
    const GameOutcome outcome = harness::PlayUntilEnd(
        {.Seed = played.Seed, .Script = harness::HostEvents(changes)}, &limits);
    // The box shows a thousandth of the score as the points.
    const std::int64_t points = outcome.Scores.empty() ? 0 : outcome.Scores.front() / 1000;
    // The last poll the game took: the server drops the changes after it.
    const std::uint64_t polls = headless::PollCount();
    // The shutdown path as cavesim runs it: the game's memory goes back before the process ends.
    EndProgram(outcome);
    return EndingOf(outcome, limits) + " " + std::to_string(points) + " " +
           std::to_string(played.Seed) + " " + std::to_string(limits.Frames) + " " +
           std::to_string(polls) + "\n";
}
