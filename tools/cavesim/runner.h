// Plays one game on the headless host and writes its trace and pictures.
#pragma once

#include <cstdio>
#include <vector>

#include "options.h"
#include "platform/host/headless_host.h"
#include "platform/key_script.h"

// Returns the game's exit status, or 2 when a picture could not be written.
// `ghosts` fly beside the players, on the same cave.
int RunCavesim(const Options& options, const std::vector<host::headless::KeyEvent>& events,
               std::FILE* trace, const std::vector<Demo>& ghosts = {});
