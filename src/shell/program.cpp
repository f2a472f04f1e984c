#include "shell/program.h"

#include <algorithm>
#include <optional>

#include "cave/cave.h"
#include "game/game_state.h"
#include "game/player.h"
#include "platform/display.h"
#include "platform/drawing.h"
#include "platform/key_recorder.h"
#include "platform/keyboard.h"
#include "platform/random.h"
#include "platform/system.h"
#include "shell/game_keeping.h"
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

// Everything a previous game in this process left behind goes, so that games can run in a row.
void ZeroProgramState() {
    ResetPlatformState();
    ResetGameState();
}

}  // namespace

void SetScreenScale(std::int32_t scale) { ScreenScale = std::clamp(scale, 1, kMaxScreenScale); }

std::int32_t StartProgram(const Demo* playback) {
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
    StartKeyRecording(seed, playback);
    ChooseRockColour();
    Look.RockBrightness = 255;
    Look.CaveBrightness = 190;
    ListCreate(PlayerList);
    ListCreate(ColumnList);
    // The keyboard is not even tried without a display.
    if (InitDisplaySystem() == 0 || OpenKeyboardDevice() == 0) return kErrorDisplaySystem;
    if (const std::int32_t error = OpenGameScreen(); error != 0) return error;
    if (!CreatePlayer(4, 1.0f, PackRGB(255, 0, 0), kKeyUp)) return kErrorBallImage;
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

int RunProgram() { return RunStartedProgram(StartProgram(PlaybackDemo())); }

int RunStartedProgram(std::int32_t error) {
    if (error != 0) return EndProgram({GameOutcome::Ending::Fatal, {}, error});
    const GameOutcome outcome = RunGame();
    // Kept before the box, which waits for the player.
    const bool reported = outcome.How == GameOutcome::Ending::Report && !outcome.Scores.empty();
    KeepGame(reported ? std::optional(outcome.Scores.front() / 1000) : std::nullopt);
    return EndProgram(outcome);
}
