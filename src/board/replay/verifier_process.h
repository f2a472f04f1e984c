// Runs cave-verify on one demo in a process of its own and reads its answer.
#pragma once

#include <cstdint>
#include <string>

struct ReplayLimits {
    std::uint32_t MaxFrames = 223200;  // two hours of play at 31 frames a second
    int CpuSeconds = 60;
    int MemoryMb = 512;
    int WallSeconds = 180;
};

enum class ReplayEnding {
    Report,  // the crash with the score report: the only run that is ranked
    Quit,
    Paused,  // a pause no later key change ends
    Limit,   // still flying at the frame limit
    Fatal,   // the game stopped with an error of its own
    Error,   // a demo the verifier cannot read
    Killed,  // a crash or a limit of the verifier's process, or an answer it cannot have given
};

struct ReplayResult {
    ReplayEnding Ending = ReplayEnding::Killed;
    std::int64_t Points = 0;
    std::uint32_t Seed = 0;
    std::int64_t Frames = 0;
    std::uint64_t Polls = 0;  // keyboard polls the game took: later key changes were never read
    std::string Detail;       // the verifier's error text
};

ReplayResult RunVerifier(const std::string& program, const std::string& demo,
                         const ReplayLimits& limits);
