// cavesim: plays the game on the headless host from a key script and writes a frame trace and
// pictures, so that any run can be replayed and compared bit for bit.
#include <cstdio>
#include <fstream>
#include <iostream>
#include <sstream>

#include "options.h"
#include "runner.h"
#include "script.h"

namespace {

int Fail(const std::string& message) {
    std::fprintf(stderr, "cavesim: %s\n(cavesim --help shows the usage)\n", message.c_str());
    return 2;
}

bool ReadAll(const std::string& path, std::string& text) {
    std::ostringstream buffer;
    if (path == "-") {
        buffer << std::cin.rdbuf();
    } else {
        std::ifstream file(path, std::ios::binary);
        if (!file) return false;
        buffer << file.rdbuf();
    }
    text = buffer.str();
    return true;
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
    if (!options.Script.empty() && !ReadAll(options.Script, scriptText)) {
        return Fail("cannot read the script '" + options.Script + "'");
    }
    const ParsedScript script = ParseScript(scriptText);
    if (!script.Error.empty()) return Fail("script " + options.Script + ", " + script.Error);

    std::FILE* trace = nullptr;
    if (options.Trace == "-") {
        trace = stdout;
    } else if (!options.Trace.empty()) {
        trace = std::fopen(options.Trace.c_str(), "w");
        if (trace == nullptr) return Fail("cannot write the trace '" + options.Trace + "'");
    }
    const int status = RunCavesim(options, script.Events, trace);
    if (trace != nullptr && std::fclose(trace) != 0) return Fail("cannot write the trace");
    return status;
}
