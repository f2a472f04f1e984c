// cavesim: plays the game headless from a key script and writes a frame trace and pictures, so
// that any run can be replayed and compared bit for bit.
#include <cstdio>
#include <string>

#include "options.h"
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

// The trace is written beside its place and moved there only when the whole run succeeded, so a
// failed run never leaves a cut-off trace, nor replaces a good one.
struct TraceFile {
    std::string Path;
    std::string Part;
    std::FILE* File = nullptr;
};

bool OpenTrace(TraceFile& trace, const std::string& path) {
    trace.Path = path;
    if (path.empty()) return true;
    if (path == "-") {
        trace.File = stdout;
        return true;
    }
    trace.Part = path + ".part";
    trace.File = std::fopen(trace.Part.c_str(), "w");
    return trace.File != nullptr;
}

// Returns an error text, empty when the trace is where it belongs (or the run had none).
std::string CloseTrace(TraceFile& trace, bool keep) {
    if (trace.File == nullptr || trace.File == stdout) return {};
    // A write that failed early (a full disk) leaves only the error flag; close alone may pass.
    const bool failedEarlier = std::ferror(trace.File) != 0;
    const bool written = std::fclose(trace.File) == 0 && !failedEarlier;
    if (keep && written && std::rename(trace.Part.c_str(), trace.Path.c_str()) == 0) return {};
    std::remove(trace.Part.c_str());
    return keep ? "--trace: cannot write '" + trace.Path + "'" : std::string();
}

}  // namespace

int main(int argc, char** argv) {
    const ParsedOptions parsed = ParseOptions(argc, argv);
    if (!parsed.Error.empty()) return Fail(parsed.Error);
    const Options& options = parsed.Values;
    if (options.Help) {
        std::fputs(kUsage, stdout);
        return 0;
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

    TraceFile trace;
    if (!OpenTrace(trace, options.Trace)) {
        return Fail("--trace: cannot write '" + options.Trace + "'");
    }
    const int status = RunCavesim(options, script.Events, trace.File);
    const std::string unwritten = CloseTrace(trace, status != 2);
    if (!unwritten.empty()) return Fail(unwritten);
    return status;
}
