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

struct ReplayResult {
    // report, quit, paused, limit, fatal, error (a demo it cannot read), or killed (a crash or
    // a limit of the process).
    std::string Ending = "killed";
    std::int64_t Points = 0;
    std::uint32_t Seed = 0;
    std::int64_t Frames = 0;
    std::string Detail;  // the verifier's error text
};

ReplayResult RunVerifier(const std::string& program, const std::string& demo,
                         const ReplayLimits& limits);
