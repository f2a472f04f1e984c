// A demo of a run that the harness's pilot flies for FLY_FRAMES frames and then lets fall onto
// the rock. Status 1 when the cave beats the pilot before: another seed will do. A WHIM other
// than 0 flies as a player would, each whim another flight (pilot.h).
//   board_autopilot SEED FLY_FRAMES [WHIM] > run.demo
#include <cstdio>
#include <string>

#include "pilot.h"
#include "platform/key_script.h"

int main(int argc, char** argv) {
    const bool fits = argc == 3 || argc == 4;
    const auto seed = fits ? ParseDecimal(argv[1], 0xFFFFFFFFu) : std::nullopt;
    const auto frames = fits ? ParseDecimal(argv[2], 223200) : std::nullopt;
    const auto whim =
        argc == 4 ? ParseDecimal(argv[3], 0xFFFFFFFFu) : std::optional<std::uint64_t>(0);
    if (!seed || !frames || !whim) {
        std::fputs("usage: board_autopilot SEED FLY_FRAMES [WHIM]\n", stderr);
        return 2;
    }
    const auto demo = harness::FlyDemo(static_cast<std::uint32_t>(*seed), *frames,
                                       static_cast<std::uint32_t>(*whim));
    if (!demo) {
        std::fprintf(stderr, "board_autopilot: the ball crashed before frame %s\n", argv[2]);
        return 1;
    }
    std::fputs(demo->c_str(), stdout);
    return 0;
}
