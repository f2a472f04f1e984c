// Demo files from arbitrary bytes: the parser never crashes, a rejected demo names its line and
// keeps no key changes, and an accepted one says the same when written out and read again.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/key_script.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const ParsedDemo demo = ParseDemo(std::string(reinterpret_cast<const char*>(data), size));
    if (!demo.Error.empty()) {
        if (!demo.Value.Changes.empty() || demo.Error.rfind("line ", 0) != 0) std::abort();
        return 0;
    }
    for (const KeyChange& change : demo.Value.Changes) {
        if (change.Poll == 0) std::abort();
    }
    const ParsedDemo again = ParseDemo(DemoText(demo.Value));
    if (!again.Error.empty() || again.Value.Seed != demo.Value.Seed ||
        KeyScriptText(again.Value.Changes) != KeyScriptText(demo.Value.Changes)) {
        std::abort();
    }
    return 0;
}
