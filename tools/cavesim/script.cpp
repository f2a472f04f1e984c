#include "script.h"

#include "headless_game.h"
#include "platform/key_script.h"
#include "platform/watch_link.h"

ParsedScript ParseScript(const std::string& text) {
    const ParsedKeys keys = ParseKeyScript(text);
    return {harness::HostEvents(keys.Changes), std::nullopt, 1, keys.Error};
}

ParsedScript ParseDemoScript(const std::string& text) {
    const ParsedDemo demo = ParseAnyDemo(text);
    if (!demo.Error.empty()) return {{}, std::nullopt, 1, demo.Error};
    return {harness::HostEvents(demo.Value.Changes), demo.Value.Seed, demo.Value.Players, {}};
}
