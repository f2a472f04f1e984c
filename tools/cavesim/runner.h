// Plays one game on the headless host and writes its trace and pictures.
#pragma once

#include <cstdio>
#include <vector>

#include "options.h"
#include "platform/host/headless_host.h"

// Returns the game's exit status, or 2 when a picture could not be written.
int RunCavesim(const Options& options, const std::vector<host::headless::KeyEvent>& events,
               std::FILE* trace);
