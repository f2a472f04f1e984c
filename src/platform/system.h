// Process-level services the game uses: time, sleeping, message boxes, the end of the process,
// and the reset of every platform library's program-wide state.
#pragma once

#include <cstdint>

std::uint32_t TickCount();  // milliseconds, wrapping at 2^32
void SleepMilliseconds(std::uint32_t milliseconds);
// Modal box with one OK button, owned by the foreground window.
void ShowModalMessage(const char* title, const char* text);
[[noreturn]] void EndProcess(int status);

// Zeroes the state of the display, drawing, keyboard and random libraries, so that one process
// can run many games in a row.
void ResetPlatformState();
