#include "headless_game.h"

#include "game/player.h"
#include "shell/program.h"
#include "shell/shutdown.h"

namespace headless = host::headless;

namespace harness {

std::int32_t StartGame(const GameSetup& setup) {
    headless::Reset();
    headless::SetStartTick(setup.Seed);
    headless::SetKeyScript(setup.Script);
    headless::SetFailures(setup.Failures);
    return StartProgram(setup.Playback, {setup.Players, setup.Ghosts});
}

std::vector<headless::KeyEvent> HostEvents(const std::vector<KeyChange>& changes) {
    std::vector<headless::KeyEvent> events;
    events.reserve(changes.size());
    for (const KeyChange& change : changes)
        events.push_back({change.Poll, change.Code, change.Down});
    return events;
}

GameOutcome PlayUntilEnd(const GameSetup& setup, GameWatcher* watcher) {
    const std::int32_t error = StartGame(setup);
    if (error != 0) return {GameOutcome::Ending::Fatal, {}, error};
    return RunGame(watcher);
}

int PlayGame(const GameSetup& setup, GameWatcher* watcher) {
    return EndProgram(PlayUntilEnd(setup, watcher));
}

const CaveColumn& ColumnAt(std::int32_t x) {
    const List<CaveColumn>::Node* node = ColumnList.First;
    for (std::int32_t i = 0; i < x; ++i) node = node->Next;
    return node->Rec;
}

void KeepBallInPassage() {
    const CaveColumn& column = ColumnAt(160);
    Player& ball = PlayerList.First->Rec;
    ball.Y = static_cast<float>((column.Upper + column.Lower) / 2.0 - ball.Radius);
    ball.VelY = 0.0f;
}

}  // namespace harness
