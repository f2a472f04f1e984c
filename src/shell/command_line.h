// The `cave` command line: what the player asked for before any window opens.
//
// To add an option: a field in CommandLine, then one row in the option table of
// command_line.cpp; the row's name, argument and meaning also make its line of --help.
#pragma once

#include <cstdint>
#include <string>

struct CommandLine {
    bool Help = false;
    bool Version = false;
    std::int32_t Scale = 0;  // each game pixel as Scale x Scale screen pixels; 0: not given
    std::string Record;      // where the game's demo goes when it ends; empty: nowhere
    std::string Play;        // the demo to play back; empty: a new game
    bool Scores = false;
    bool FullScreen = false;  // start in full screen
};

struct ParsedCommandLine {
    CommandLine Options;
    std::string Error;  // names what is wrong; empty when the command line is good
};

ParsedCommandLine ParseCommandLine(int argc, const char* const* argv);

// The --help text: usage, the options and the controls.
std::string UsageText();
// The --version text: the program's name and version, and its copyright line.
std::string VersionText();

// Exit status for a command line the game cannot follow.
inline constexpr int kBadCommandLineStatus = 2;
