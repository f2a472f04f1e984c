// Short games from arbitrary bytes: the first four bytes are the start-up tick, the rest a key
// script. Every accepted script plays at most kFrames running frames on the headless host, with
// the trace written, and must end as a game ends: status 0 and nothing left allocated.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/host/headless_host.h"
#include "runner.h"
#include "script.h"

namespace {

constexpr std::uint32_t kFrames = 120;
// Pause turns are not frames: keeping the polls short bounds a paused run too.
constexpr std::uint32_t kLastPoll = 600;

std::FILE* Trace() {
    static std::FILE* const trace = std::fopen("/dev/null", "w");
    return trace;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 4) return 0;
    Options options;
    std::memcpy(&options.Seed, data, 4);
    options.Frames = kFrames;
    const ParsedScript script =
        ParseScript(std::string(reinterpret_cast<const char*>(data) + 4, size - 4));
    if (!script.Error.empty()) return 0;
    for (const host::headless::KeyEvent& event : script.Events) {
        if (event.Poll > kLastPoll) return 0;
    }
    if (RunCavesim(options, script.Events, Trace()) != 0) std::abort();
    if (host::headless::LivePixelBlocks() != 0) std::abort();
    return 0;
}
