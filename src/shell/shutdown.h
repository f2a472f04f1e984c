// How every game ends: the box its outcome calls for, then the one shutdown path.
#pragma once

#include "game/frame_loop.h"

// Shows the box the outcome calls for (score report, numbered error; none after a quit or a
// stop), then takes the one shutdown path. Returns the exit status: the error's number, else 0.
int EndProgram(const GameOutcome& outcome);
// The one way out: keyboard, display and images, windows, then the lists.
void ShutDown();
void ShowMessageBox(const char* title, const char* text);
