// The board's submissions from arbitrary bytes: the body reader never crashes, an accepted name
// is 1 to 16 allowed characters with nothing left to trim, and an accepted demo plays the same
// changes whether it came as demo text or as its watch-link payload.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/key_script.h"
#include "platform/watch_link.h"
#include "api/submission_json.h"

namespace {

void CheckName(const std::string& name) {
    if (name.empty() || name.size() > 16 || name.front() == ' ' || name.back() == ' ') std::abort();
    if (CleanName(name) != name) std::abort();
}

void CheckDemo(const std::string& sent) {
    ParsedDemo demo = ParseAnyDemo(sent);
    if (!demo.Error.empty()) return;
    // A hand-written demo may list its changes out of order; it plays them, and its payload
    // keeps them, in poll order.
    std::stable_sort(demo.Value.Changes.begin(), demo.Value.Changes.end(),
                     [](const KeyChange& a, const KeyChange& b) { return a.Poll < b.Poll; });
    const std::string canonical = DemoText(demo.Value);
    const ParsedDemo fromPayload = ParseAnyDemo(WatchPayload(demo.Value));
    if (!fromPayload.Error.empty() || DemoText(fromPayload.Value) != canonical) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string body(reinterpret_cast<const char*>(data), size);
    const ParsedSubmission submission = ParseSubmission(body);
    if (!submission.Error.empty()) return 0;
    CheckName(submission.Value.Name);
    if (submission.Value.Demo.empty()) std::abort();
    CheckDemo(submission.Value.Demo);
    return 0;
}
