// Demos of real flights for the board's benchmarks. A pilot that only presses Up, as a player
// would, keeps the ball in the passage for the given number of frames, then lets go: the ball
// falls onto the rock and the game ends with its score report, as every run on the board must.
// Each seed is another cave, so each demo is another run.
//   cave_board_demos FRAMES COUNT FIRST_SEED FOLDER
// writes FOLDER/run-SEED.demo for the first COUNT seeds from FIRST_SEED on whose flight lasts
// FRAMES frames (a seed whose cave beats the pilot earlier is passed over; it rarely is, and
// after four times COUNT seeds it gives up), and prints their names.
#include <algorithm>
#include <cstdio>
#include <fstream>
#include <optional>
#include <string>

#include "pilot.h"
#include "platform/key_script.h"

int main(int argc, char** argv) {
    if (argc != 5) {
        std::fprintf(stderr, "usage: cave_board_demos FRAMES COUNT FIRST_SEED FOLDER\n");
        return 2;
    }
    const auto frames = ParseDecimal(argv[1], 223200);
    const auto count = ParseDecimal(argv[2], 100000);
    const auto first = ParseDecimal(argv[3], 0xFFFFFFFFu);
    if (!frames || !count || !first) {
        std::fprintf(stderr, "cave_board_demos: FRAMES, COUNT and FIRST_SEED are numbers\n");
        return 2;
    }
    std::uint64_t made = 0;
    const std::uint64_t last = std::min<std::uint64_t>(*first + 4 * *count + 10, 0xFFFFFFFFu);
    for (std::uint64_t seed = *first; made < *count && seed <= last; ++seed) {
        const std::optional<std::string> demo =
            harness::FlyDemo(static_cast<std::uint32_t>(seed), *frames);
        if (!demo) continue;
        const std::string name = std::string(argv[4]) + "/run-" + std::to_string(seed) + ".demo";
        std::ofstream out(name);
        out << *demo;
        if (!out.flush()) {
            std::fprintf(stderr, "cave_board_demos: cannot write '%s'\n", name.c_str());
            return 2;
        }
        std::printf("%s\n", name.c_str());
        ++made;
    }
    return made == *count ? 0 : 1;
}
