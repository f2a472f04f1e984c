#include "platform/launch.h"
#include "shell/command_line.h"
#include "shell/program.h"

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
    SetScreenScale(options.Scale != 0 ? options.Scale : DesktopScale());
    RunProgram();
}
