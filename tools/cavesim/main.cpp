// cavesim: plays the game headless from a key script and writes a frame trace and pictures, so
// that any run can be replayed and compared bit for bit.
#include <cstdio>
#include <string>

#include "options.h"
#include "output_file.h"
#include "platform/watch_link.h"
#include "runner.h"
#include "script.h"

namespace {

int Fail(const std::string& message) {
    std::fprintf(stderr, "cavesim: %s\n(cavesim --help shows the usage)\n", message.c_str());
    return 2;
}

// False on any read error, a directory included (it opens, but reading it fails).
bool ReadAll(const std::string& path, std::string& text) {
    std::FILE* file = path == "-" ? stdin : std::fopen(path.c_str(), "rb");
    if (file == nullptr) return false;
    char chunk[4096];
    std::size_t got = 0;
    while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0) text.append(chunk, got);
    const bool good = std::ferror(file) == 0;
    if (file != stdin) std::fclose(file);
    return good;
}

std::string CannotWriteTrace(const std::string& path) {
    return "--trace: cannot write " + (path == "-" ? "standard output" : "'" + path + "'");
}

// The keys of the run from --script or --demo; returns an error text, empty when they are good.
std::string ReadScript(const Options& options, ParsedScript& script) {
    const bool demo = !options.Demo.empty();
    const std::string& path = demo ? options.Demo : options.Script;
    const std::string option = demo ? "--demo" : "--script";
    std::string text;
    const bool link = path.find("#watch=") != std::string::npos;
    if (!path.empty() && (link || !ReadAll(path, text))) {
        // A watch link or payload may stand in for the demo file.
        if (!demo || !LooksLikeWatchLink(path)) return option + ": cannot read '" + path + "'";
        text = path;
    } else if (!path.empty() && text.empty()) {
        // An empty file is far more likely a lost script than a run meant to have no keys.
        return option + ": '" + path + "' is empty";
    }
    script = demo ? ParseDemoScript(text) : ParseScript(text);
    if (script.Error.empty()) return {};
    return (demo ? "demo " : "script ") + path + ", " + script.Error;
}

// The ghosts' runs, each on the run's cave; with no seed chosen the run flies the first ghost's.
// Returns what is wrong, naming the ghost, empty when all are good.
std::string ReadGhosts(Options& run, std::vector<Demo>& ghosts) {
    for (const std::string& path : run.Ghosts) {
        std::string text;
        if (path.find("#watch=") != std::string::npos || !ReadAll(path, text)) {
            if (!LooksLikeWatchLink(path)) return "--ghost: cannot read '" + path + "'";
            text = path;
        }
        ParsedDemo ghost = ParseAnyDemo(text);
        if (!ghost.Error.empty()) return "ghost " + path + ", " + ghost.Error;
        if (!run.SeedGiven) run.Seed = ghost.Value.Seed;
        run.SeedGiven = true;
        if (ghost.Value.Seed != run.Seed) {
            return "--ghost " + path + ": flies the cave of seed " +
                   std::to_string(ghost.Value.Seed) + ", not this run's " +
                   std::to_string(run.Seed);
        }
        ghosts.push_back(std::move(ghost.Value));
    }
    return {};
}

}  // namespace

int main(int argc, char** argv) {
    const ParsedOptions parsed = ParseOptions(argc, argv);
    if (!parsed.Error.empty()) return Fail(parsed.Error);
    const Options& options = parsed.Values;
    if (options.Help) {
        OutputFile usage;
        OpenStandardOutput(usage);
        std::fputs(kUsage, usage.File);
        return CloseOutput(usage, true) ? 0 : Fail("cannot write the usage to standard output");
    }
    ParsedScript script;
    const std::string failure = ReadScript(options, script);
    if (!failure.empty()) return Fail(failure);
    Options run = options;
    if (script.Seed) {
        run.Seed = *script.Seed;
        run.SeedGiven = true;
        run.Players = script.Players;
    }
    std::vector<Demo> ghosts;
    if (const std::string wrong = ReadGhosts(run, ghosts); !wrong.empty()) return Fail(wrong);

    OutputFile trace;
    if (options.Trace == "-") {
        OpenStandardOutput(trace);
    } else if (!options.Trace.empty() && !OpenOutput(trace, options.Trace)) {
        return Fail(CannotWriteTrace(options.Trace));
    }
    const int status = RunCavesim(run, script.Events, trace.File, ghosts);
    if (!CloseOutput(trace, status != 2)) return Fail(CannotWriteTrace(options.Trace));
    return status;
}
