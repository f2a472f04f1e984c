// Key scripts from arbitrary bytes: the parser never crashes, a rejected script names its line
// and keeps no events, and an accepted one says the same when written out and read again.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "script.h"

namespace {

std::string WriteOut(const std::vector<host::headless::KeyEvent>& events) {
    std::string text;
    for (const host::headless::KeyEvent& event : events) {
        text += std::to_string(event.Poll) + " " + std::to_string(event.Code) +
                (event.Down ? " down\n" : " up\n");
    }
    return text;
}

bool SameEvents(const std::vector<host::headless::KeyEvent>& a,
                const std::vector<host::headless::KeyEvent>& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (a[i].Poll != b[i].Poll || a[i].Code != b[i].Code || a[i].Down != b[i].Down) {
            return false;
        }
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const ParsedScript script = ParseScript(std::string(reinterpret_cast<const char*>(data), size));
    if (!script.Error.empty()) {
        if (!script.Events.empty() || script.Error.rfind("line ", 0) != 0) std::abort();
        return 0;
    }
    for (const host::headless::KeyEvent& event : script.Events) {
        if (event.Poll == 0) std::abort();
    }
    const ParsedScript again = ParseScript(WriteOut(script.Events));
    if (!again.Error.empty() || !SameEvents(script.Events, again.Events)) std::abort();
    return 0;
}
