// Key scripts: one '<poll> <code> <down|up>' a line, blank lines and '#' lines ignored.
#pragma once

#include <string>
#include <vector>

#include "platform/host/headless_host.h"

struct ParsedScript {
    std::vector<host::headless::KeyEvent> Events;
    std::string Error;  // names the first malformed line; empty when the script is good
};

ParsedScript ParseScript(const std::string& text);
