#include "platform/launch.h"
#include "platform/system.h"
#include "platform/user_files.h"
#include "shell/best_scores.h"
#include "shell/command_line.h"
#include "shell/game_keeping.h"
#include "shell/program.h"

namespace {

// Returns what is wrong with the demo file, empty when `demo` holds it.
std::string LoadDemo(const std::string& path, std::optional<Demo>& demo) {
    std::string text;
    const FileRead read = ReadTextFile(path, text);
    if (read != FileRead::Read) {
        return "--play: cannot read '" + path + "'" +
               (read == FileRead::Missing ? ": no such file" : "");
    }
    ParsedDemo parsed = ParseDemo(text);
    if (!parsed.Error.empty()) return "demo " + path + ", " + parsed.Error;
    demo = std::move(parsed.Value);
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
    const ParsedCommandLine parsed = ParseCommandLine(argc, argv);
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
    GameKeeping keeping{std::nullopt, options.Record, true};
    if (!options.Play.empty()) {
        const std::string error = LoadDemo(options.Play, keeping.Playback);
        if (!error.empty()) {
            TellUser("cave: " + error + "\n", true);
            return kBadCommandLineStatus;
        }
    }
    SetGameKeeping(std::move(keeping));
    SetScreenScale(options.Scale != 0 ? options.Scale : DesktopScale());
    StartFullScreen(options.FullScreen);
    EndProcess(RunProgram());
}
