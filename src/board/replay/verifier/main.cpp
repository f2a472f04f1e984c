// cave-verify: replays one run with the game's own code and says how it ended, for cave-board.
// It limits itself before it reads the run, so that a hostile demo meets the limits already set:
//   cave-verify MAX_FRAMES CPU_SECONDS MEMORY_MB   (the demo, text or watch-link payload, on stdin)
// It writes one line: "<ending> <points> <seed> <frames> <polls>", ending one of report, quit,
// paused, limit, fatal, polls the keyboard polls the game took; or "error <what>" for a demo it
// cannot read.
#include <sys/resource.h>

#include <cstdio>
#include <iostream>
#include <iterator>
#include <string>

#include "replay.h"

namespace {

void LimitSelf(rlim_t cpuSeconds, rlim_t memoryMb) {
    const rlimit cpu{cpuSeconds, cpuSeconds + 1};
    setrlimit(RLIMIT_CPU, &cpu);
#if !defined(__SANITIZE_ADDRESS__)
    // AddressSanitizer reserves terabytes of address space up front.
    const rlimit memory{memoryMb << 20, memoryMb << 20};
    setrlimit(RLIMIT_AS, &memory);
#else
    (void)memoryMb;
#endif
    // Replays give way to the server's reads.
    setpriority(PRIO_PROCESS, 0, 10);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fputs("usage: cave-verify MAX_FRAMES CPU_SECONDS MEMORY_MB < demo\n", stderr);
        return 2;
    }
    LimitSelf(std::stoul(argv[2]), std::stoul(argv[3]));
    const std::string text{std::istreambuf_iterator<char>(std::cin), {}};
    const std::string line = ReplayLine(text, static_cast<std::uint32_t>(std::stoul(argv[1])));
    std::fputs(line.c_str(), stdout);
    return std::fflush(stdout) == 0 ? 0 : 1;
}
