// The whole program: start-up, the game, and the one shutdown path. Never returns; the process
// ends through the host's EndProcess with the game's exit status.
#pragma once

[[noreturn]] void RunProgram();
