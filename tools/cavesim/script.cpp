#include "script.h"

#include "platform/key_script.h"
#include "platform/watch_link.h"

namespace {

std::vector<host::headless::KeyEvent> HostEvents(const std::vector<KeyChange>& changes) {
    std::vector<host::headless::KeyEvent> events;
    events.reserve(changes.size());
    for (const KeyChange& change : changes)
        events.push_back({change.Poll, change.Code, change.Down});
    return events;
}

}  // namespace

ParsedScript ParseScript(const std::string& text) {
    const ParsedKeys keys = ParseKeyScript(text);
    return {HostEvents(keys.Changes), std::nullopt, keys.Error};
}

ParsedScript ParseDemoScript(const std::string& text) {
    const ParsedDemo demo = ParseAnyDemo(text);
    if (!demo.Error.empty()) return {{}, std::nullopt, demo.Error};
    return {HostEvents(demo.Value.Changes), demo.Value.Seed, {}};
}
