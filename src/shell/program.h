// The whole program: start-up, the game, and the one shutdown path. Nothing here ends the
// process: RunProgram returns the exit status, and only main hands it to the host.
#pragma once

#include <cstdint>
#include <vector>

#include "game/frame_loop.h"
#include "platform/key_script.h"

// The fatal errors, as the box numbers them.
inline constexpr std::int32_t kErrorDisplaySystem = 1;  // display system or keyboard device
inline constexpr std::int32_t kErrorWindow = 2;
inline constexpr std::int32_t kErrorWindowedDisplay = 3;
inline constexpr std::int32_t kErrorCaveImage = 4;
inline constexpr std::int32_t kErrorBallImage = 5;

// Each game pixel is shown as scale x scale screen pixels (1 to 8; others are brought into that
// range). Chosen before start-up, which keeps it; the game itself still works in 320x240.
void SetScreenScale(std::int32_t scale);
inline constexpr std::int32_t kMaxScreenScale = 8;

// The real program's game: start-up, one game, what it keeps of the game, then its box and the
// shutdown path. Returns the exit status.
int RunProgram();
// The rest of RunProgram once start-up (StartProgram) has returned `error`: the game unless
// start-up failed, what it keeps of the game, its box and the shutdown path.
int RunStartedProgram(std::int32_t error);

// Who flies besides the first player: more players at one keyboard, and ghosts of recorded runs
// on the same cave.
struct Company {
    std::int32_t Players = 1;  // 1 to 4; a demo played back brings its own
    std::vector<Demo> Ghosts;
};

// Start-up up to and including the players and ghosts: 0 when the game is ready for its first
// frame (RunGame), else the number of the fatal error that stopped it, not yet shown. With a demo,
// the game is that demo's.
std::int32_t StartProgram(const Demo* playback = nullptr, const Company& company = {});
// The window, its display and the first cave; 0, or the fatal error's number.
std::int32_t OpenGameScreen();
