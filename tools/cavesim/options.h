// cavesim's command line.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

struct Options {
    std::uint32_t Seed = 0;               // the virtual tick count at start-up
    std::optional<std::uint32_t> Frames;  // stop after this many running frames
    std::string Script;                   // "-" is standard input; empty: no keys
    std::string Demo;                     // seed and keys of a recorded game; "-" as above
    std::string Trace;                    // "-" is standard output; empty: no trace
    std::string DumpFrame;
    std::string DumpCave;
    // At every frame end the ball is put in the middle of the passage it meets next, so that a
    // run lasts as long as --frames says (benchmarks, memory checks); keys still apply.
    bool KeepFlying = false;
    bool Help = false;
    bool SeedGiven = false;           // --seed or --daily
    std::int32_t Players = 1;         // player n lifts with the table's key n (Up, W, B, K)
    std::vector<std::string> Ghosts;  // recorded runs flown beside the players
};

struct ParsedOptions {
    Options Values;
    std::string Error;  // empty when the command line is good
};

inline constexpr std::size_t kMaxGhosts = 99;

ParsedOptions ParseOptions(int argc, const char* const* argv);
extern const char* const kUsage;
