#include "options.h"

#include <limits>

#include "platform/key_script.h"
#include "platform/keyboard.h"
#include "shell/daily_cave.h"

const char* const kUsage =
    "usage: cavesim [--seed N | --daily DATE | --demo FILE] [--frames N] [--script FILE]\n"
    "               [--players N] [--ghost FILE]... [--trace FILE]"
    " [--dump-frame FILE] [--dump-cave FILE] [--keep-flying]\n"
    "\n"
    "Plays the game headless from a key script, with virtual time.\n"
    "\n"
    "  --seed N          millisecond tick count at start-up, 0..4294967295 (default 0)\n"
    "  --daily DATE      the cave of that day (YYYY-MM-DD): its seed is YYYYMMDD\n"
    "  --frames N        stop after N running frames (default: until the game ends)\n"
    "  --script FILE     key events, one '<poll> <code> <down|up>' a line; '-' is stdin\n"
    "  --demo FILE       a recorded game: its seed and key events; '-' is stdin;\n"
    "                    a watch link or its payload may stand in for FILE\n"
    "  --players N       N balls, 2 to 4; player n lifts with key 200, 17, 48, 37\n"
    "                    (Up, W, B, K) in the script\n"
    "  --ghost FILE      fly a recorded run (demo or watch link) beside them, on its\n"
    "                    cave; up to 99 times\n"
    "  --trace FILE      write the frame trace; '-' is stdout\n"
    "  --dump-frame FILE the last presented picture, binary PPM\n"
    "  --dump-cave FILE  the cave image at the end of the run, binary PPM\n"
    "  --keep-flying     after every frame, move the ball to the middle of the passage\n"
    "  --help            this text\n"
    "\n"
    "The exit status is the game's own: 0, or the number of a fatal error.\n"
    "Bad options or a malformed script or demo give status 2 and run nothing.\n";

namespace {

constexpr std::uint64_t kMaxU32 = std::numeric_limits<std::uint32_t>::max();

bool TakesValue(const std::string& name) {
    for (const char* known : {"--seed", "--daily", "--frames", "--script", "--demo", "--trace",
                              "--dump-frame", "--dump-cave", "--players", "--ghost"}) {
        if (name == known) return true;
    }
    return false;
}

// Applies one known option with its value; returns an error text, empty when it was good.
std::string ApplyOption(Options& options, const std::string& name, const std::string& value) {
    if (name == "--players") {
        const auto players = ParseDecimal(value, kMaxPlayers);
        if (!players || *players < 2) return "--players: not a number in 2..4: '" + value + "'";
        options.Players = static_cast<std::int32_t>(*players);
        return {};
    }
    if (name == "--ghost") {
        if (options.Ghosts.size() == kMaxGhosts) return "--ghost: at most 99 ghosts";
        if (value.empty()) return "--ghost: empty file name";
        options.Ghosts.push_back(value);
        return {};
    }
    if (name == "--daily") {
        const auto date = ParseCivilDate(value);
        if (!date) return "--daily: not a date YYYY-MM-DD from 1970 on: '" + value + "'";
        options.Seed = DailySeed(*date);
        return {};
    }
    if (name == "--seed" || name == "--frames") {
        const auto number = ParseDecimal(value, kMaxU32);
        if (!number) return name + ": not a number in 0..4294967295: '" + value + "'";
        (name == "--seed" ? options.Seed : options.Frames.emplace()) =
            static_cast<std::uint32_t>(*number);
        return {};
    }
    std::string* path = name == "--script"       ? &options.Script
                        : name == "--demo"       ? &options.Demo
                        : name == "--trace"      ? &options.Trace
                        : name == "--dump-frame" ? &options.DumpFrame
                                                 : &options.DumpCave;
    if (value.empty()) return name + ": empty file name";
    *path = value;
    return {};
}

}  // namespace

ParsedOptions ParseOptions(int argc, const char* const* argv) {
    ParsedOptions parsed;
    std::string seedGiven;  // the option that gave the seed
    for (int i = 1; i < argc; ++i) {
        const std::string name = argv[i];
        if (name == "--help" || name == "-h") {
            parsed.Values.Help = true;
            continue;
        }
        if (name == "--keep-flying") {
            parsed.Values.KeepFlying = true;
            continue;
        }
        if (name.rfind("--", 0) != 0) {
            parsed.Error = "unexpected argument '" + name + "'";
            return parsed;
        }
        if (!TakesValue(name)) {
            parsed.Error = "unknown option '" + name + "'";
            return parsed;
        }
        if (i + 1 >= argc) {
            parsed.Error = "option '" + name + "' needs a value";
            return parsed;
        }
        parsed.Error = ApplyOption(parsed.Values, name, argv[++i]);
        if (!parsed.Error.empty()) return parsed;
        if (name == "--seed" || name == "--daily") {
            if (!seedGiven.empty()) {
                parsed.Error = name + " cannot go with " + seedGiven;
                return parsed;
            }
            seedGiven = name;
            parsed.Values.SeedGiven = true;
        }
    }
    // A demo brings its own seed and keys.
    if (!parsed.Values.Demo.empty() && (!seedGiven.empty() || !parsed.Values.Script.empty())) {
        parsed.Error = "--demo cannot go with " + (seedGiven.empty() ? "--script" : seedGiven);
    }
    if (!parsed.Values.Demo.empty() && parsed.Values.Players > 1) {
        parsed.Error = "--demo cannot go with --players: a demo brings its own";
    }
    return parsed;
}
