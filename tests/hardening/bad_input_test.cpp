// cavesim against bad input: every malformed script or option, unreadable script and unwritable
// output gets a message naming the line, option or file, exit status 2, and leaves no output
// file behind, not even a cut-off one.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

struct BadInput {
    const char* Name;
    std::string Script;  // what in.keys holds
    std::vector<std::string> Args;
    const char* Message;                   // must appear on standard error
    rlim_t FileSizeLimit = RLIM_INFINITY;  // a full disk, as far as cavesim can tell
};

const std::vector<std::string> kOutputs = {"--trace", "out.trace",   "--dump-frame",
                                           "out.ppm", "--dump-cave", "cave.ppm"};

std::vector<std::string> WithOutputs(std::vector<std::string> args) {
    args.insert(args.end(), kOutputs.begin(), kOutputs.end());
    return args;
}

std::vector<std::string> ScriptRun() { return WithOutputs({"--script", "in.keys"}); }

const BadInput kCases[] = {
    {"unknown word", "3 200 down\n9 200 press\n", ScriptRun(), "line 2"},
    {"code 256", "# keys\n1 1 up\n2 256 down\n", ScriptRun(), "line 3"},
    {"negative poll", "-4 200 down\n", ScriptRun(), "line 1"},
    {"non-numeric poll", "soon 200 down\n", ScriptRun(), "line 1"},
    {"poll 0", "0 200 down\n", ScriptRun(), "line 1"},
    {"missing code and state", "\n5\n", ScriptRun(), "line 2"},
    {"missing state", "5 200\n", ScriptRun(), "line 1"},
    {"huge poll", "99999999999999999999999999 200 down\n", ScriptRun(), "line 1"},
    {"poll past 32 bits", "4294967296 200 down\n", ScriptRun(), "line 1"},
    {"binary garbage",
     std::string("\x7f"
                 "ELF\x02\x01\x00\x00\xff\xfe\n",
                 11),
     ScriptRun(), "line 1: malformed: '\\x7FELF\\x02\\x01\\x00\\x00\\xFF\\xFE'"},
    {"empty file", "", WithOutputs({"--script", "empty.keys"}), "--script: 'empty.keys' is empty"},
    {"missing script", "", WithOutputs({"--script", "nowhere/in.keys"}),
     "--script: cannot read 'nowhere/in.keys'"},
    {"directory as script", "", WithOutputs({"--script", "."}), "--script: cannot read '.'"},
    {"unknown option", "", WithOutputs({"--sead", "1"}), "unknown option '--sead'"},
    {"unknown last option", "", {"--frames", "5", "--bogus"}, "unknown option '--bogus'"},
    {"negative frames", "", WithOutputs({"--frames", "-3"}), "--frames: not a number"},
    {"non-numeric frames", "", WithOutputs({"--frames", "ten"}), "--frames: not a number"},
    {"huge seed", "", WithOutputs({"--seed", "99999999999999999999999"}), "--seed: not a number"},
    {"missing value", "", {"--trace", "out.trace", "--frames"}, "option '--frames' needs a value"},
    {"stray argument", "", WithOutputs({"keys.txt"}), "unexpected argument 'keys.txt'"},
    {"empty output name", "", {"--trace", "out.trace", "--dump-cave", ""}, "--dump-cave: empty"},
    {"trace in a missing folder",
     "",
     {"--frames", "3", "--trace", "nowhere/out.trace"},
     "--trace: cannot write 'nowhere/out.trace'"},
    {"picture in a missing folder",
     "",
     {"--frames", "3", "--trace", "out.trace", "--dump-frame", "nowhere/out.ppm"},
     "cannot write the picture 'nowhere/out.ppm'"},
    {"disk full while tracing",
     "",
     {"--frames", "200", "--trace", "out.trace"},
     "--trace: cannot write 'out.trace'",
     1024},
    {"disk full while dumping",
     "",
     {"--frames", "3", "--dump-frame", "out.ppm"},
     "cannot write the picture 'out.ppm'",
     4096},
};

struct Outcome {
    int Status = -1;
    std::string Errors;
};

// Runs cavesim in `dir` with the given file size limit; exits with 127 when it cannot start.
Outcome RunCavesim(const fs::path& dir, const std::vector<std::string>& args, rlim_t limit) {
    const fs::path errors = dir / "stderr.txt";
    const pid_t child = fork();
    if (child == 0) {
        const int fd = open(errors.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const rlimit size{limit, limit};
        if (fd < 0 || dup2(fd, 2) < 0 || chdir(dir.c_str()) != 0 ||
            setrlimit(RLIMIT_FSIZE, &size) != 0) {
            _exit(127);
        }
        // Past the limit a write should fail, as on a full disk, not kill the process.
        signal(SIGXFSZ, SIG_IGN);
        std::vector<char*> argv{const_cast<char*>(CAVESIM)};
        for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
        argv.push_back(nullptr);
        execv(CAVESIM, argv.data());
        _exit(127);
    }
    int status = 0;
    waitpid(child, &status, 0);
    std::ostringstream text;
    text << std::ifstream(errors).rdbuf();
    fs::remove(errors);
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, text.str()};
}

std::vector<std::string> FilesIn(const fs::path& dir) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir)) names.push_back(entry.path().filename());
    std::sort(names.begin(), names.end());
    return names;
}

bool AllPrintable(const std::string& text) {
    return std::all_of(text.begin(), text.end(), [](char c) {
        return c == '\n' || (static_cast<unsigned char>(c) >= 0x20 && c != 0x7F);
    });
}

TEST(BadInput, EachIsNamedEndsWithStatusTwoAndLeavesNoOutput) {
    const fs::path dir = fs::temp_directory_path() / ("cave_bad_input_" + std::to_string(getpid()));
    for (const BadInput& bad : kCases) {
        fs::remove_all(dir);
        fs::create_directories(dir);
        std::ofstream(dir / "in.keys", std::ios::binary) << bad.Script;
        std::ofstream(dir / "empty.keys");
        const std::vector<std::string> inputs = FilesIn(dir);

        const Outcome outcome = RunCavesim(dir, bad.Args, bad.FileSizeLimit);
        EXPECT_EQ(outcome.Status, 2) << bad.Name << "\n" << outcome.Errors;
        EXPECT_NE(outcome.Errors.find(bad.Message), std::string::npos)
            << bad.Name << ": " << outcome.Errors;
        EXPECT_TRUE(AllPrintable(outcome.Errors)) << bad.Name << ": " << outcome.Errors;
        EXPECT_EQ(FilesIn(dir), inputs) << bad.Name;
    }
    // The same outputs from a good run all appear: the cases above fail for their bad input.
    fs::remove_all(dir);
    fs::create_directories(dir);
    std::ofstream(dir / "in.keys") << "3 200 down\n9 200 up\n";
    const Outcome good =
        RunCavesim(dir, WithOutputs({"--frames", "5", "--script", "in.keys"}), RLIM_INFINITY);
    EXPECT_EQ(good.Status, 0) << good.Errors;
    EXPECT_EQ(FilesIn(dir),
              (std::vector<std::string>{"cave.ppm", "in.keys", "out.ppm", "out.trace"}));
    fs::remove_all(dir);
}

}  // namespace
