// Demo files and watch links from arbitrary bytes: the readers never crash, a rejected demo names
// its line (a rejected link its reason) and keeps no key changes, and an accepted one says the
// same when written out and read again, as text and as a watch link.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/key_script.h"
#include "platform/watch_link.h"

namespace {

bool SameDemo(const ParsedDemo& a, const Demo& b) {
    return a.Error.empty() && a.Value.Seed == b.Seed &&
           KeyScriptText(a.Value.Changes) == KeyScriptText(b.Changes);
}

void CheckDemoText(const std::string& text) {
    const ParsedDemo demo = ParseDemo(text);
    if (!demo.Error.empty()) {
        if (!demo.Value.Changes.empty() || demo.Error.rfind("line ", 0) != 0) std::abort();
        return;
    }
    for (const KeyChange& change : demo.Value.Changes) {
        if (change.Poll == 0) std::abort();
    }
    if (!SameDemo(ParseDemo(DemoText(demo.Value)), demo.Value)) std::abort();
}

// One payload for each demo: an accepted payload is the one its demo is written as.
void CheckWatchLink(const std::string& text) {
    const ParsedDemo demo = ParseWatchPayload(text);
    if (!demo.Error.empty()) {
        if (!demo.Value.Changes.empty()) std::abort();
        return;
    }
    const std::string payload = WatchPayload(demo.Value);
    if (!SameDemo(ParseWatchPayload(payload), demo.Value)) std::abort();
    if (LooksLikeWatchLink(text) && text.find('#') == std::string::npos && text != payload &&
        text.find_first_of(" \t\r\n") == std::string::npos) {
        std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    CheckDemoText(text);
    CheckWatchLink(text);
    return 0;
}
