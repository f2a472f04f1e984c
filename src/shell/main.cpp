#include <string>
#include <vector>

#include "platform/launch.h"
#include "platform/program_arguments.h"
#include "platform/system.h"
#include "platform/user_files.h"
#include "platform/watch_link.h"
#include "shell/best_scores.h"
#include "shell/command_line.h"
#include "shell/game_keeping.h"
#include "shell/program.h"

namespace {

// A demo file, or a watch link or payload given in its place. Returns what is wrong, empty
// when `demo` holds it.
std::string LoadDemo(const std::string& option, const std::string& source,
                     std::optional<Demo>& demo) {
    ParsedDemo parsed;
    std::string text;
    std::string what = "demo " + source + ", ";
    if (source.find("#watch=") != std::string::npos) {
        parsed = ParseWatchPayload(source);
        what = "watch link: ";
    } else if (const FileRead read = ReadTextFile(source, text); read == FileRead::Read) {
        parsed = ParseAnyDemo(text);
    } else if (read == FileRead::Missing && LooksLikeWatchLink(source)) {
        parsed = ParseWatchPayload(source);
        what = option + ": '" + source + "' is neither a file nor a watch payload: ";
    } else {
        return option + ": cannot read '" + source + "'" +
               (read == FileRead::Missing ? ": no such file" : "");
    }
    if (!parsed.Error.empty()) return what + parsed.Error;
    demo = std::move(parsed.Value);
    return {};
}

// The watch link of a demo, behind the page's address when the build knows it.
int ShareDemo(const std::string& source) {
    std::optional<Demo> demo;
    if (const std::string error = LoadDemo("--share", source, demo); !error.empty()) {
        TellUser("cave: " + error + "\n", true);
        return kBadCommandLineStatus;
    }
    // A watch link carries one player's keys.
    if (demo->Players > 1) {
        TellUser("cave: --share: the demo " + source + " is a game of " +
                     std::to_string(demo->Players) + " players; watch links carry one\n",
                 true);
        return kBadCommandLineStatus;
    }
    const std::string site = SiteAddress();
    const std::string payload = WatchPayload(*demo);
    TellUser((site.empty() ? payload : site + "#watch=" + payload) + "\n", false);
    return 0;
}

// The cave the command line chose; a random one when none.
CaveChoice ChosenCave(const CommandLine& options) {
    if (options.Cave) return {CaveChoice::Kind::Given, *options.Cave, {}};
    if (!options.Daily) return {};
    const CivilDate today = TodayUtc();
    return {CaveChoice::Kind::Daily, DailySeed(today), today};
}

// The ghosts' runs, all on the cave the game flies; a random cave becomes the first ghost's.
// Returns what is wrong, naming the ghost, empty when all are good.
std::string LoadGhosts(const std::vector<std::string>& sources, GameKeeping& keeping) {
    for (const std::string& source : sources) {
        std::optional<Demo> ghost;
        if (std::string error = LoadDemo("--ghost", source, ghost); !error.empty()) return error;
        const std::optional<std::uint32_t> seed =
            keeping.Playback                               ? std::optional(keeping.Playback->Seed)
            : keeping.Cave.How != CaveChoice::Kind::Random ? std::optional(keeping.Cave.Seed)
                                                           : std::nullopt;
        if (!seed) keeping.Cave = {CaveChoice::Kind::Given, ghost->Seed, {}};
        if (seed && *seed != ghost->Seed) {
            return "--ghost " + source + ": flies the cave of seed " + std::to_string(ghost->Seed) +
                   ", not this game's " + std::to_string(*seed);
        }
        keeping.Fliers.Ghosts.push_back(std::move(*ghost));
    }
    return {};
}

// Status 1 when the table is there but cannot be read.
int ShowBestScores() {
    const std::string folder = UserDataFolder();
    const ReadScores read = ReadBestScores(folder);
    if (!read.Error.empty()) {
        TellUser("cave: " + read.Error + "\n", true);
        return 1;
    }
    TellUser(BestScoresText(folder, read.Scores), false);
    return 0;
}

}  // namespace

// The command line is settled before anything else: a word the game does not know ends it
// before any window opens.
int main(int argc, char** argv) {
    const std::vector<std::string> arguments = ProgramArguments(argc, argv);
    std::vector<const char*> words;
    for (const std::string& argument : arguments) words.push_back(argument.c_str());
    const ParsedCommandLine parsed = ParseCommandLine(static_cast<int>(words.size()), words.data());
    if (!parsed.Error.empty()) {
        TellUser("cave: " + parsed.Error + "\nTry 'cave --help'.\n", true);
        return kBadCommandLineStatus;
    }
    const CommandLine& options = parsed.Options;
    if (options.Help || options.Version) {
        TellUser(options.Help ? UsageText() : VersionText(), false);
        return 0;
    }
    if (options.Scores) return ShowBestScores();
    if (!options.Share.empty()) return ShareDemo(options.Share);
    GameKeeping keeping{std::nullopt, options.Record, true, ChosenCave(options)};
    keeping.Fliers.Players = options.Players;
    std::string error;
    if (!options.Play.empty()) error = LoadDemo("--play", options.Play, keeping.Playback);
    if (error.empty()) error = LoadGhosts(options.Ghosts, keeping);
    if (!error.empty()) {
        TellUser("cave: " + error + "\n", true);
        return kBadCommandLineStatus;
    }
    SetGameKeeping(std::move(keeping));
    SetScreenScale(options.Scale != 0 ? options.Scale : DesktopScale());
    StartFullScreen(options.FullScreen);
    EndProcess(RunProgram());
}
