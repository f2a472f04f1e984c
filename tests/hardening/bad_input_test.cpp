// cavesim against bad input: every malformed script or option, unreadable script and unwritable
// output gets a message naming the line, option or file, exit status 2, and leaves no output
// file behind, not even a cut-off one, nor changes one. And its outputs go into what they name.
#include <fcntl.h>
#include <grp.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace fs = std::filesystem;

namespace {

struct Launch {
    rlim_t FileSizeLimit = RLIM_INFINITY;  // a full disk, as far as cavesim can tell
    const char* Stdout = nullptr;          // standard output, when not the test's own
    bool OtherUser = false;                // as root, run as nobody, who owns no file here
};

struct BadInput {
    const char* Name;
    std::string Script;  // what in.keys holds
    std::vector<std::string> Args;
    const char* Message;  // must appear on standard error
    Launch How = {};
    void (*Prepare)(const fs::path& dir) = nullptr;
};

// A folder anyone may write in, and in it a file its owner keeps from being written.
void WriteProtectedInSharedFolder(const fs::path& dir) {
    std::ofstream(dir / "kept.trace") << "precious\n";
    fs::permissions(dir / "kept.trace",
                    fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    fs::permissions(dir, fs::perms::all);
}

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
     {1024}},
    {"disk full while dumping",
     "",
     {"--frames", "3", "--dump-frame", "out.ppm"},
     "cannot write the picture 'out.ppm'",
     {4096}},
    {"trace to a full standard output",
     "",
     {"--frames", "3", "--trace", "-"},
     "--trace: cannot write standard output",
     {.Stdout = "/dev/full"}},
    {"usage to a full standard output",
     "",
     {"--help"},
     "cannot write the usage to standard output",
     {.Stdout = "/dev/full"}},
    {"trace over a file the user may not write",
     "",
     {"--frames", "3", "--trace", "kept.trace"},
     "--trace: cannot write 'kept.trace'",
     {.OtherUser = true},
     WriteProtectedInSharedFolder},
};

struct Outcome {
    int Status = -1;  // the exit status, -1 when ended by a signal
    int Signal = 0;
    std::string Errors;
};

// Starts cavesim in `dir`; it exits with 127 when it cannot start.
pid_t StartCavesim(const fs::path& dir, const std::vector<std::string>& args, const Launch& how) {
    const fs::path errors = dir / "stderr.txt";
    std::vector<char*> argv{const_cast<char*>(CAVESIM)};
    for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    const bool dropRoot = how.OtherUser && geteuid() == 0;
    const pid_t child = fork();
    if (child != 0) return child;
    const int fd = open(errors.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const int out = how.Stdout == nullptr ? 1 : open(how.Stdout, O_WRONLY);
    const rlimit size{how.FileSizeLimit, how.FileSizeLimit};
    if (fd < 0 || dup2(fd, 2) < 0 || out < 0 || dup2(out, 1) < 0 || chdir(dir.c_str()) != 0 ||
        setrlimit(RLIMIT_FSIZE, &size) != 0) {
        _exit(127);
    }
    // Past the limit a write should fail, as on a full disk, not kill the process.
    signal(SIGXFSZ, SIG_IGN);
    // A test run in the background may have these ignored; cavesim must meet them as a user does.
    for (const int number : {SIGINT, SIGTERM, SIGHUP}) signal(number, SIG_DFL);
    if (dropRoot) {
        // Opened while still root: nobody may not be able to reach the build folder.
        const int program = open(CAVESIM, O_RDONLY | O_CLOEXEC);
        if (program < 0 || setgroups(0, nullptr) != 0 || setgid(65534) != 0 || setuid(65534) != 0) {
            _exit(127);
        }
        fexecve(program, argv.data(), environ);
    } else {
        execv(CAVESIM, argv.data());
    }
    _exit(127);
}

std::string Read(const fs::path& path) {
    std::ostringstream text;
    text << std::ifstream(path, std::ios::binary).rdbuf();
    return text.str();
}

Outcome WaitFor(pid_t child, const fs::path& dir) {
    int status = 0;
    // A cavesim that never ends is killed after a minute, so that the test fails, not hangs.
    for (int waited = 0; waitpid(child, &status, WNOHANG) == 0; ++waited) {
        if (waited == 6000) kill(child, SIGKILL);
        usleep(10000);
    }
    const std::string errors = Read(dir / "stderr.txt");
    fs::remove(dir / "stderr.txt");
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1,
            WIFSIGNALED(status) ? WTERMSIG(status) : 0, errors};
}

Outcome RunCavesim(const fs::path& dir, const std::vector<std::string>& args,
                   const Launch& how = {}) {
    return WaitFor(StartCavesim(dir, args, how), dir);
}

fs::path FreshDir(const std::string& name) {
    const fs::path dir =
        fs::temp_directory_path() / ("cave_" + name + "_" + std::to_string(getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir);
    return dir;
}

// Every file's name and content.
std::map<std::string, std::string> Snapshot(const fs::path& dir) {
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::directory_iterator(dir)) {
        files[entry.path().filename()] = Read(entry.path());
    }
    return files;
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
    fs::path dir;
    for (const BadInput& bad : kCases) {
        dir = FreshDir("bad_input");
        std::ofstream(dir / "in.keys", std::ios::binary) << bad.Script;
        std::ofstream(dir / "empty.keys");
        if (bad.Prepare != nullptr) bad.Prepare(dir);
        const std::map<std::string, std::string> before = Snapshot(dir);

        const Outcome outcome = RunCavesim(dir, bad.Args, bad.How);
        EXPECT_EQ(outcome.Status, 2) << bad.Name << "\n" << outcome.Errors;
        EXPECT_NE(outcome.Errors.find(bad.Message), std::string::npos)
            << bad.Name << ": " << outcome.Errors;
        EXPECT_TRUE(AllPrintable(outcome.Errors)) << bad.Name << ": " << outcome.Errors;
        EXPECT_EQ(Snapshot(dir), before) << bad.Name;
    }
    // The same outputs from a good run all appear: the cases above fail for their bad input.
    dir = FreshDir("bad_input");
    std::ofstream(dir / "in.keys") << "3 200 down\n9 200 up\n";
    const Outcome good = RunCavesim(dir, WithOutputs({"--frames", "5", "--script", "in.keys"}));
    EXPECT_EQ(good.Status, 0) << good.Errors;
    EXPECT_EQ(FilesIn(dir),
              (std::vector<std::string>{"cave.ppm", "in.keys", "out.ppm", "out.trace"}));
    fs::remove_all(dir);
}

TEST(Outputs, GoIntoWhatTheyName) {
    const fs::path dir = FreshDir("outputs");
    fs::create_directories(dir / "real");
    std::ofstream(dir / "real" / "t") << "old\n";
    fs::create_symlink("real/t", dir / "link.trace");
    ASSERT_EQ(mkfifo((dir / "fifo.ppm").c_str(), 0644), 0);
    // Read without waiting, so that neither side hangs when cavesim never opens the FIFO.
    const int fifo = open((dir / "fifo.ppm").c_str(), O_RDONLY | O_NONBLOCK);
    std::atomic<bool> ended = false;
    std::string picture;
    std::thread reader([&] {
        char chunk[4096];
        for (bool last = false; !last; usleep(1000)) {
            last = ended;
            for (ssize_t got = 0; (got = read(fifo, chunk, sizeof chunk)) > 0;) {
                picture.append(chunk, static_cast<std::size_t>(got));
            }
        }
    });
    const Outcome outcome =
        RunCavesim(dir, {"--frames", "3", "--trace", "link.trace", "--dump-frame", "fifo.ppm"});
    ended = true;
    reader.join();
    close(fifo);
    EXPECT_EQ(outcome.Status, 0) << outcome.Errors;
    EXPECT_TRUE(fs::is_symlink(dir / "link.trace"));
    const std::string trace = Read(dir / "real" / "t");
    EXPECT_TRUE(trace.starts_with("I ") && trace.ends_with("E limit\n")) << trace;
    EXPECT_EQ(FilesIn(dir / "real"), std::vector<std::string>{"t"});
    EXPECT_TRUE(fs::is_fifo(dir / "fifo.ppm"));
    EXPECT_EQ(picture.size(), std::strlen("P6\n320 240\n255\n") + 320 * 240 * 3);
    fs::remove_all(dir);
}

TEST(Outputs, NoPartFileOutlivesItsRun) {
    const fs::path dir = FreshDir("part_files");
    const std::vector<std::string> endless = {"--frames", "4294967295", "--keep-flying", "--trace",
                                              "out.trace"};
    for (const int number : {SIGINT, SIGTERM, SIGHUP}) {
        const pid_t child = StartCavesim(dir, endless, {});
        for (int i = 0; i < 2000 && !fs::exists(dir / "out.trace.part"); ++i) usleep(5000);
        kill(child, number);
        const Outcome outcome = WaitFor(child, dir);
        EXPECT_EQ(outcome.Signal, number) << strsignal(number) << ": " << outcome.Errors;
        EXPECT_EQ(FilesIn(dir), std::vector<std::string>{}) << strsignal(number);
    }
    // A run killed outright cannot clean up; the next one over the same outputs does.
    std::ofstream(dir / "out.trace.part") << "cut off";
    std::ofstream(dir / "out.ppm.part") << "cut off";
    const Outcome next =
        RunCavesim(dir, {"--frames", "3", "--trace", "out.trace", "--dump-frame", "out.ppm"});
    EXPECT_EQ(next.Status, 0) << next.Errors;
    EXPECT_EQ(FilesIn(dir), (std::vector<std::string>{"out.ppm", "out.trace"}));
    fs::remove_all(dir);
}

}  // namespace
