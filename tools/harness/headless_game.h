// Whole games on the headless host, for every runner without a screen: cavesim, the tests, the
// benchmarks, the soaks and the fuzz targets. One game at a time, as the game's state is
// program-wide; each game starts from a fresh host and leaves nothing behind.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "cave/cave.h"
#include "game/frame_loop.h"
#include "platform/host/headless_host.h"
#include "platform/key_script.h"

namespace harness {

struct GameSetup {
    std::uint32_t Seed = 0;  // the millisecond tick count at start-up
    std::vector<host::headless::KeyEvent> Script = {};
    host::headless::Failures Failures = {};  // start-up steps made to fail
    const Demo* Playback = nullptr;          // a demo the game plays instead of the keyboard
    std::int32_t Players = 1;                // balls lifted from the keyboard (a demo's own)
    std::vector<Demo> Ghosts = {};           // recorded runs flown beside them
};

// A fresh host with this setup, then start-up: 0 when the game is ready for its first
// frame, else the fatal error's number (nothing shown yet).
std::int32_t StartGame(const GameSetup& setup);
// Key changes, from a key script or a demo, as the headless host plays them.
std::vector<host::headless::KeyEvent> HostEvents(const std::vector<KeyChange>& changes);

// Start-up and the game, up to its end; the box and the shutdown path are left to EndProgram,
// so that a runner can look at the game as it ended first.
GameOutcome PlayUntilEnd(const GameSetup& setup, GameWatcher* watcher = nullptr);
// The whole program on the headless host: returns the exit status.
int PlayGame(const GameSetup& setup, GameWatcher* watcher = nullptr);

// Record x of the cave, read without moving the list's cursor, which the game relies on.
const CaveColumn& ColumnAt(std::int32_t x);
// Puts the first ball in the middle of the passage it meets next, so that a game lasts as long
// as its runner wants; leaves both lists' cursors alone.
void KeepBallInPassage();

// A watcher made of callables, for runners that look at one moment of the game. An empty one
// goes on.
struct Hooks : GameWatcher {
    std::function<bool()> OnGameStart;
    std::function<bool()> OnFrameEnd;
    std::function<bool()> OnPauseTurn;

    bool GameStarts() override { return !OnGameStart || OnGameStart(); }
    bool FrameEnded() override { return !OnFrameEnd || OnFrameEnd(); }
    bool PauseTurnStarts() override { return !OnPauseTurn || OnPauseTurn(); }
};

}  // namespace harness
