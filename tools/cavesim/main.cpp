// cavesim: plays the game headless from a key script and writes a frame trace and pictures, so
// that any run can be replayed and compared bit for bit.
#include <cstdio>
#include <string>

#include "options.h"
#include "output_file.h"
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
    std::string scriptText;
    if (!options.Script.empty()) {
        if (!ReadAll(options.Script, scriptText)) {
            return Fail("--script: cannot read '" + options.Script + "'");
        }
        // An empty file is far more likely a lost script than a run meant to have no keys.
        if (scriptText.empty()) return Fail("--script: '" + options.Script + "' is empty");
    }
    const ParsedScript script = ParseScript(scriptText);
    if (!script.Error.empty()) return Fail("script " + options.Script + ", " + script.Error);

    OutputFile trace;
    if (options.Trace == "-") {
        OpenStandardOutput(trace);
    } else if (!options.Trace.empty() && !OpenOutput(trace, options.Trace)) {
        return Fail(CannotWriteTrace(options.Trace));
    }
    const int status = RunCavesim(options, script.Events, trace.File);
    if (!CloseOutput(trace, status != 2)) return Fail(CannotWriteTrace(options.Trace));
    return status;
}
