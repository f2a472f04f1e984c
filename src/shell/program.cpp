#include "shell/program.h"

#include <algorithm>
#include <optional>

#include "cave/cave.h"
#include "game/game_state.h"
#include "game/ghost.h"
#include "game/player.h"
#include "platform/display.h"
#include "platform/drawing.h"
#include "platform/key_recorder.h"
#include "platform/keyboard.h"
#include "platform/random.h"
#include "platform/system.h"
#include "shell/game_keeping.h"
#include "shell/ghost_run.h"
#include "shell/shutdown.h"

namespace {

// A choice made before start-up, so not part of the state start-up zeroes.
std::int32_t ScreenScale = 1;

// One component is always full: the rock is a light grey with a slight tint.
void ChooseRockColour() {
    RgbColour& rock = Look.RockColour;
    rock.Red = RandomUpTo(63) + 192;
    rock.Green = RandomUpTo(63) + 192;
    rock.Blue = RandomUpTo(63) + 192;
    const std::int32_t full = RandomUpTo(2);
    if (full == 0) rock.Red = 255;
    if (full == 1) rock.Green = 255;
    if (full == 2) rock.Blue = 255;
}

// Player 1's red, then colours that read on the light rock (every rock component is 192 or more,
// so each ball has a component well below it) and stay apart for the common colour-vision
// deficiencies: dark red, dark blue, light orange and light cyan differ in lightness and along
// blue-yellow, which red-green blindness keeps, and along red-green, which blue-yellow blindness
// keeps.
constexpr std::int32_t kPlayerColours[kMaxPlayers] = {PackRGB(255, 0, 0), PackRGB(0, 96, 255),
                                                      PackRGB(255, 176, 0), PackRGB(0, 255, 255)};

// The players in roster order, then the ghosts: one for each player of each run. False when an
// image cannot be made.
bool CreateFliers(std::int32_t players, const std::vector<Demo>& ghosts) {
    for (std::int32_t n = 0; n < players; ++n) {
        if (!CreatePlayer(4, 1.0f, kPlayerColours[n], kPlayerKeys[n])) return false;
    }
    for (const Demo& ghost : ghosts) {
        for (std::int32_t n = 0; n < std::clamp(ghost.Players, 1, kMaxPlayers); ++n) {
            if (!AddGhost(GhostLiftFrames(ghost, kPlayerKeys[n]))) return false;
        }
    }
    return true;
}

// Everything a previous game in this process left behind goes, so that games can run in a row.
void ZeroProgramState() {
    ResetPlatformState();
    ResetGameState();
}

}  // namespace

void SetScreenScale(std::int32_t scale) { ScreenScale = std::clamp(scale, 1, kMaxScreenScale); }

std::int32_t StartProgram(const Demo* playback, const Company& company) {
    ZeroProgramState();
    InitRandom();
    InitDrawing();
    // The start tick is all of a game's chance: with it and the keys, the game can be replayed.
    // A chosen cave stands in for it.
    const std::optional<std::uint32_t> chosen = ChosenSeed();
    const std::uint32_t seed = playback != nullptr ? playback->Seed
                               : chosen            ? *chosen
                                                   : TickCount();
    SeedRandom(seed);
    const std::int32_t players = playback != nullptr ? playback->Players : company.Players;
    StartKeyRecording(seed, playback, players);
    ChooseRockColour();
    Look.RockBrightness = 255;
    Look.CaveBrightness = 190;
    ListCreate(PlayerList);
    ListCreate(ColumnList);
    // The keyboard is not even tried without a display.
    if (InitDisplaySystem() == 0 || OpenKeyboardDevice() == 0) return kErrorDisplaySystem;
    if (const std::int32_t error = OpenGameScreen(); error != 0) return error;
    if (!CreateFliers(std::clamp(players, 1, kMaxPlayers), company.Ghosts)) return kErrorBallImage;
    return 0;
}

std::int32_t OpenGameScreen() {
    // Pacing comes first, so that opening the display keeps this rate instead of its default.
    SetFramePacing(30);
    const WindowHandle window =
        OpenMainWindow(0, 0, 0, kCaveWidth * ScreenScale, kCaveHeight * ScreenScale,
                       kWindowStylePopup | kCentreOnDesktop, "");
    if (window == 0) return kErrorWindow;
    // A bigger window stretches the picture over all of it, every pixel repeated.
    const std::int32_t stretch = ScreenScale > 1 ? 1 : 0;
    if (OpenWindowedDisplay(MainWindowHandle(), 0, 0, kCaveWidth, kCaveHeight, stretch, 0, 0) ==
        0) {
        return kErrorWindowedDisplay;
    }
    return BuildInitialCave() ? 0 : kErrorCaveImage;
}

int RunProgram() { return RunStartedProgram(StartProgram(PlaybackDemo(), GameCompany())); }

int RunStartedProgram(std::int32_t error) {
    if (error != 0) return EndProgram({GameOutcome::Ending::Fatal, {}, error});
    const GameOutcome outcome = RunGame();
    // Kept before the box, which waits for the player.
    const bool reported = outcome.How == GameOutcome::Ending::Report && !outcome.Scores.empty();
    KeepGame(reported ? std::optional(outcome.Scores.front() / 1000) : std::nullopt);
    return EndProgram(outcome);
}
