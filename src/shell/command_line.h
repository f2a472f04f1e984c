// The `cave` command line: what the player asked for before any window opens.
//
// To add an option: a field in CommandLine, then one row in the option table of
// command_line.cpp; the row's name, argument and meaning also make its line of --help.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

struct CommandLine {
    bool Help = false;
    bool Version = false;
    std::int32_t Scale = 0;  // each game pixel as Scale x Scale screen pixels; 0: not given
    std::string Record;      // where the game's demo goes when it ends; empty: nowhere
    std::string Play;        // the demo (file, watch link or payload) to play back; empty: none
    bool Scores = false;
    bool FullScreen = false;            // start in full screen
    bool Daily = false;                 // fly today's cave
    std::optional<std::uint32_t> Cave;  // fly the cave of this seed
    std::string Share;                  // print the watch link of this demo file and end
    std::int32_t Players = 1;           // balls at this keyboard, 1 to 4
    std::vector<std::string> Ghosts;    // recorded runs (files or watch links) flown beside
};

// Ghosts one game may fly at once.
inline constexpr std::size_t kMaxGhosts = 99;

struct ParsedCommandLine {
    CommandLine Options;
    std::string Error;  // names what is wrong; empty when the command line is good
};

ParsedCommandLine ParseCommandLine(int argc, const char* const* argv);

// The --help text: usage, the options and the controls.
std::string UsageText();
// The --version text: the program's name and version, and its copyright line.
std::string VersionText();
// The page's address the build was given (CAVE_SITE_URL); empty when none.
std::string SiteAddress();

// Exit status for a command line the game cannot follow.
inline constexpr int kBadCommandLineStatus = 2;
