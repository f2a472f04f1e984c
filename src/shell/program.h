// The whole program: start-up, the game, and the one shutdown path. Never returns; the process
// ends through the host's EndProcess with the game's exit status.
#pragma once

#include <cstdint>

#include "platform/key_script.h"

[[noreturn]] void RunProgram();

// Each game pixel is shown as scale x scale screen pixels (1 to 8; others are brought into that
// range). Chosen before start-up, which keeps it; the game itself still works in 320x240.
void SetScreenScale(std::int32_t scale);
inline constexpr std::int32_t kMaxScreenScale = 8;

// Start-up up to and including the first player; RunProgram then runs the game. Tools and tests
// call it to get a game that is ready for its first frame. With a demo, the game is that demo's.
void StartProgram(const Demo* playback = nullptr);
// The window, its display and the first cave.
void OpenGameScreen();

// The one way out: keyboard, display and images, windows, then the lists; then the process ends
// with this status.
[[noreturn]] void EndProgram(int status);
// Reports the numbered fatal error in a box and ends with the error number as exit status, so
// that a failed start is never mistaken for a finished game.
[[noreturn]] void ErrorExit(std::int32_t code);
void ShowMessageBox(const char* title, const char* text);
