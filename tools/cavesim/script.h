// The keys of a run, from a key script or a demo file, as the headless host takes them.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/host/headless_host.h"

struct ParsedScript {
    std::vector<host::headless::KeyEvent> Events;
    std::optional<std::uint32_t> Seed;  // a demo's start tick
    std::int32_t Players = 1;           // a demo's players
    std::string Error;                  // names the first malformed line; empty when good
};

ParsedScript ParseScript(const std::string& text);
ParsedScript ParseDemoScript(const std::string& text);
