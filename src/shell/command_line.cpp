#include "shell/command_line.h"

#include <initializer_list>
#include <string_view>

#include "platform/key_script.h"
#include "platform/keyboard.h"
#include "shell/program.h"
#include "version.h"

namespace {

using Apply = std::string (*)(CommandLine& line, std::string_view argument);

struct OptionRule {
    std::string_view Name;
    std::string_view Argument;  // shown in --help; empty for an option without one
    std::string_view Meaning;
    Apply Set;  // returns what is wrong with the argument, empty when it is good
};

// Appending rather than adding to literals: some compilers see overlapping copies in the latter.
std::string Join(std::initializer_list<std::string_view> parts) {
    std::string text;
    for (const std::string_view part : parts) text.append(part);
    return text;
}

std::string Quoted(std::string_view text) { return Join({"'", text, "'"}); }

std::string SetHelp(CommandLine& line, std::string_view) {
    line.Help = true;
    return {};
}

std::string SetVersion(CommandLine& line, std::string_view) {
    line.Version = true;
    return {};
}

std::string SetScale(CommandLine& line, std::string_view argument) {
    // One digit keeps "08", "+2" and "2x" out as surely as "9".
    if (argument.size() != 1 || argument[0] < '1' || argument[0] > '0' + kMaxScreenScale) {
        const std::string most = std::to_string(kMaxScreenScale);
        return Join({"--scale takes a whole number from 1 to ", most, ", not ", Quoted(argument)});
    }
    line.Scale = argument[0] - '0';
    return {};
}

std::string SetFile(std::string& file, std::string_view name, std::string_view argument) {
    if (argument.empty()) return Join({name, " needs a file name"});
    file = argument;
    return {};
}

std::string SetRecord(CommandLine& line, std::string_view argument) {
    return SetFile(line.Record, "--record", argument);
}

std::string SetPlay(CommandLine& line, std::string_view argument) {
    return SetFile(line.Play, "--play", argument);
}

std::string SetShare(CommandLine& line, std::string_view argument) {
    return SetFile(line.Share, "--share", argument);
}

std::string SetDaily(CommandLine& line, std::string_view) {
    line.Daily = true;
    return {};
}

std::string SetCave(CommandLine& line, std::string_view argument) {
    const auto seed = ParseDecimal(std::string(argument), 4294967295u);
    if (!seed) return Join({"--cave takes a number from 0 to 4294967295, not ", Quoted(argument)});
    line.Cave = static_cast<std::uint32_t>(*seed);
    return {};
}

std::string SetPlayers(CommandLine& line, std::string_view argument) {
    const auto players = ParseDecimal(std::string(argument), kMaxPlayers);
    if (!players || *players < 2) {
        return Join({"--players takes a number from 2 to ", std::to_string(kMaxPlayers), ", not ",
                     Quoted(argument)});
    }
    line.Players = static_cast<std::int32_t>(*players);
    return {};
}

std::string SetGhost(CommandLine& line, std::string_view argument) {
    if (line.Ghosts.size() == kMaxGhosts) {
        return Join({"--ghost: at most ", std::to_string(kMaxGhosts), " ghosts"});
    }
    return SetFile(line.Ghosts.emplace_back(), "--ghost", argument);
}

std::string SetScores(CommandLine& line, std::string_view) {
    line.Scores = true;
    return {};
}

std::string SetFullScreen(CommandLine& line, std::string_view) {
    line.FullScreen = true;
    return {};
}

constexpr OptionRule kOptions[] = {
    {"--scale", "N", "show each pixel as N x N pixels, N from 1 to 8", SetScale},
    {"--fullscreen", "", "start in full screen (Alt+Enter or F11 switches)", SetFullScreen},
    {"--daily", "", "fly today's cave, the same for everyone (UTC date)", SetDaily},
    {"--cave", "N", "fly the cave of seed N, 0 to 4294967295", SetCave},
    {"--players", "N", "N players (2 to 4) at one keyboard: Up, W, B and K lift", SetPlayers},
    {"--ghost", "DEMO", "race a recorded run (file or watch link); up to 99 times", SetGhost},
    {"--record", "FILE", "when the game ends, write its demo to FILE", SetRecord},
    {"--play", "FILE", "play a demo back (a file or a watch link); Escape ends it", SetPlay},
    {"--share", "FILE", "print the watch link of the demo in FILE and end", SetShare},
    {"--scores", "", "show the best scores and end", SetScores},
    {"--help", "", "show this text and end", SetHelp},
    {"--version", "", "show the version and end", SetVersion},
};

const OptionRule* FindOption(std::string_view name) {
    for (const OptionRule& rule : kOptions) {
        if (rule.Name == name) return &rule;
    }
    if (name == "-h") return FindOption("--help");
    return nullptr;
}

// One word of the command line, with `--name=value` split into name and value.
struct Word {
    std::string_view Name;
    std::string_view Value;
    bool HasValue = false;
};

Word SplitWord(std::string_view word) {
    const std::size_t equals = word.find('=');
    if (word.substr(0, 2) != "--" || equals == std::string_view::npos) return {word, {}, false};
    return {word.substr(0, equals), word.substr(equals + 1), true};
}

}  // namespace

ParsedCommandLine ParseCommandLine(int argc, const char* const* argv) {
    ParsedCommandLine parsed;
    for (int i = 1; i < argc; ++i) {
        const Word word = SplitWord(argv[i]);
        const OptionRule* rule = FindOption(word.Name);
        std::string_view argument = word.Value;
        if (rule == nullptr) {
            const bool looksLikeOption = !word.Name.empty() && word.Name[0] == '-';
            parsed.Error = Join(
                {looksLikeOption ? "unknown option " : "unexpected argument ", Quoted(word.Name)});
        } else if (rule->Argument.empty() && word.HasValue) {
            parsed.Error = Join({rule->Name, " takes no value"});
        } else if (!rule->Argument.empty() && !word.HasValue && i + 1 >= argc) {
            parsed.Error = Join({rule->Name, " needs a value: ", rule->Name, " ", rule->Argument});
        } else {
            if (!rule->Argument.empty() && !word.HasValue) argument = argv[++i];
            parsed.Error = rule->Set(parsed.Options, argument);
        }
        if (!parsed.Error.empty()) return {CommandLine{}, std::move(parsed.Error)};
    }
    // A played-back demo is already recorded.
    if (!parsed.Options.Record.empty() && !parsed.Options.Play.empty()) {
        return {CommandLine{}, "--record and --play cannot go together"};
    }
    // One cave a game: a demo brings its own.
    const CommandLine& options = parsed.Options;
    const char* chosen = options.Daily ? "--daily" : options.Cave ? "--cave" : nullptr;
    if (chosen != nullptr && (options.Daily && options.Cave)) {
        return {CommandLine{}, "--daily and --cave cannot go together"};
    }
    if (chosen != nullptr && !options.Play.empty()) {
        return {CommandLine{}, Join({chosen, " and --play cannot go together"})};
    }
    // A demo brings its own players.
    if (options.Players > 1 && !options.Play.empty()) {
        return {CommandLine{}, "--players and --play cannot go together"};
    }
    return parsed;
}

std::string UsageText() {
    std::string text =
        "usage: cave [OPTION]...\n"
        "\n"
        "Fly a ball through an endless cave. The narrower the cave where the ball is,\n"
        "the faster the score grows; touching the rock ends the flight.\n"
        "\n"
        "Options:\n";
    constexpr std::size_t kColumn = 18;
    for (const OptionRule& rule : kOptions) {
        std::string left = Join({"  ", rule.Name, rule.Argument.empty() ? "" : " ", rule.Argument});
        left.resize(kColumn < left.size() + 1 ? left.size() + 1 : kColumn, ' ');
        text += Join({left, rule.Meaning, "\n"});
    }
    text +=
        "\n"
        "Controls (keyboard, mouse or touch, controller):\n"
        "  Up      lift the ball while held; so do the left mouse button or a finger\n"
        "          held on the window, and a controller's A, D-pad up or left stick up\n"
        "  W B K   lift players 2, 3 and 4 (--players); controller n lifts player n\n"
        "  P       pause; P again resumes (a controller's Start)\n"
        "  Escape  quit at once (a controller's Back)\n"
        "  Alt+Enter or F11  full screen, or back to the window\n";
    return text;
}

std::string VersionText() { return "cave " CAVE_VERSION "\n" CAVE_COPYRIGHT "\n"; }

std::string SiteAddress() { return CAVE_SITE_URL; }
