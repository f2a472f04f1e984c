#include "game/frame_loop.h"

#include "cave/cave.h"
#include "cave/rounding.h"
#include "game/ball.h"
#include "game/ghost.h"
#include "game/hud.h"
#include "game/player.h"
#include "game/rock_drift.h"
#include "platform/display.h"
#include "platform/keyboard.h"
#include "platform/system.h"

FrameLoop Loop;

namespace {

constexpr std::int32_t kFpsWindowFrames = 500;
constexpr std::uint32_t kInactiveCheckMilliseconds = 10;
constexpr std::uint32_t kPauseTurnMilliseconds = 100;

void CountFrame() {
    if (++Loop.FpsFrameCount > kFpsWindowFrames) {
        Loop.FpsWindowStart = TickCount();
        Loop.FpsFrameCount = 0;
    }
}

void ReadKeys() {
    // An inactive display is waited out without keeping a core busy.
    while (IsDisplayActive() == 0) SleepMilliseconds(kInactiveCheckMilliseconds);
    PollKeyboard();
    // Escape is asked before P, every frame: both share the release latches with the pause loop.
    if (WasKeyReleased(kKeyEscape) != 0) Loop.QuitRequested = 1;
    if (WasKeyReleased(kKeyP) != 0) Loop.Paused = 1;
}

void MoveBalls() {
    Loop.AnyFlying = 0;
    ListReset(PlayerList);
    while (Player* player = ListNext(PlayerList)) {
        if (UpdatePlayer(*player)) Loop.AnyFlying = 1;
    }
}

}  // namespace

void StartFrame() {
    CountFrame();
    ReadKeys();
    MoveBalls();
    MoveGhosts();
}

void DrawPicture() {
    ClearBackBuffer(0, 0, 0);
    BlitImage(kCaveSprite, 0, 0);
    DrawGhosts();
    const Player* last = nullptr;
    ListReset(PlayerList);
    while (const Player* player = ListNext(PlayerList)) {
        BlitImageKeyed(player->SpriteId, RoundToInt(player->X), RoundToInt(player->Y));
        last = player;
    }
    // The score shown is the last player's; a game without players has ended before this.
    if (last != nullptr) DrawHud(*last);
}

// The picture shows what this frame's balls met: the cave scrolls only once it is drawn.
void ComposePicture() {
    DrawPicture();
    ScrollCave(kScrollStep);
    DriftRockColour();
}

namespace {

// While paused only the cave is shown; nothing moves and nothing drifts. False when the watcher
// stopped the game.
bool RunPauseLoop(GameWatcher& watcher) {
    while (Loop.Paused != 0) {
        if (!watcher.PauseTurnStarts()) return false;
        SleepMilliseconds(kPauseTurnMilliseconds);
        BlitImage(kCaveSprite, 0, 0);
        PresentFrame();
        PollKeyboard();
        if (WasKeyReleased(kKeyP) != 0) Loop.Paused = 0;
        if (WasKeyReleased(kKeyEscape) != 0) {
            Loop.Paused = 0;
            Loop.QuitRequested = 1;
        }
    }
    return true;
}

GameOutcome ScoreReport() {
    GameOutcome outcome{GameOutcome::Ending::Report, {}, 0};
    ListReset(PlayerList);
    while (const Player* player = ListNext(PlayerList)) outcome.Scores.push_back(player->Score);
    return outcome;
}

GameOutcome Stopped() { return {GameOutcome::Ending::Stopped, {}, 0}; }

}  // namespace

GameOutcome RunGame(GameWatcher* watcher) {
    GameWatcher unwatched;
    GameWatcher& watch = watcher != nullptr ? *watcher : unwatched;
    Loop.FpsFrameCount = 0;
    Loop.FpsWindowStart = TickCount();
    Loop.QuitRequested = 0;
    Loop.Paused = 0;
    if (!watch.GameStarts()) return Stopped();
    do {
        StartFrame();
        if (Loop.AnyFlying == 0) {
            // Show the picture with the crash before the report.
            PresentFrame();
            return ScoreReport();
        }
        PresentFrame();
        ComposePicture();
        if (!RunPauseLoop(watch) || !watch.FrameEnded()) return Stopped();
    } while (Loop.QuitRequested == 0);
    return {GameOutcome::Ending::Quit, {}, 0};
}
