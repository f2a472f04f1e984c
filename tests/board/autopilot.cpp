// A demo of a run that the harness's pilot flies for FLY_FRAMES frames and then lets fall onto
// the rock. Status 1 when the cave beats the pilot before: another seed will do.
//   board_autopilot SEED FLY_FRAMES > run.demo
#include <cstdio>
#include <string>

#include "pilot.h"
#include "platform/key_script.h"

int main(int argc, char** argv) {
    const auto seed = argc == 3 ? ParseDecimal(argv[1], 0xFFFFFFFFu) : std::nullopt;
    const auto frames = argc == 3 ? ParseDecimal(argv[2], 223200) : std::nullopt;
    if (!seed || !frames) {
        std::fputs("usage: board_autopilot SEED FLY_FRAMES\n", stderr);
        return 2;
    }
    const auto demo = harness::FlyDemo(static_cast<std::uint32_t>(*seed), *frames);
    if (!demo) {
        std::fprintf(stderr, "board_autopilot: the ball crashed before frame %s\n", argv[2]);
        return 1;
    }
    std::fputs(demo->c_str(), stdout);
    return 0;
}
