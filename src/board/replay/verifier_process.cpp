#include "replay/verifier_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <chrono>
#include <sstream>
#include <stdexcept>
#include <utility>

namespace {

using Clock = std::chrono::steady_clock;

struct Pipe {
    int Read = -1;
    int Write = -1;
};

Pipe MakePipe() {
    int fds[2];
    // Close-on-exec: a verifier started by another thread must not hold this one's ends open.
    if (pipe2(fds, O_CLOEXEC) != 0) throw std::runtime_error("cannot make a pipe");
    return {fds[0], fds[1]};
}

pid_t Spawn(const std::string& program, const ReplayLimits& limits, Pipe input, Pipe output) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, input.Read, 0);
    posix_spawn_file_actions_adddup2(&actions, output.Write, 1);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    // Nothing else of the server's: not its clients' sockets, not the listening one.
    posix_spawn_file_actions_addclosefrom_np(&actions, 3);
    const std::string frames = std::to_string(limits.MaxFrames);
    const std::string cpu = std::to_string(limits.CpuSeconds);
    const std::string memory = std::to_string(limits.MemoryMb);
    char* argv[] = {const_cast<char*>(program.c_str()), const_cast<char*>(frames.c_str()),
                    const_cast<char*>(cpu.c_str()), const_cast<char*>(memory.c_str()), nullptr};
    char* envp[] = {nullptr};
    pid_t pid = -1;
    const int failed = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv, envp);
    posix_spawn_file_actions_destroy(&actions);
    close(input.Read);
    close(output.Write);
    if (failed != 0) {
        close(input.Write);
        close(output.Read);
        throw std::runtime_error("cannot start the verifier " + program);
    }
    return pid;
}

void WriteAll(int fd, const std::string& text) {
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t wrote = write(fd, text.data() + done, text.size() - done);
        if (wrote <= 0 && errno != EINTR) break;  // the verifier died early: its answer says so
        if (wrote > 0) done += static_cast<std::size_t>(wrote);
    }
    close(fd);
}

// Reads the answer until end of file or the deadline; false at the deadline.
bool ReadUntil(int fd, Clock::time_point deadline, std::string& answer) {
    for (;;) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        if (left.count() <= 0) return false;
        pollfd waiting{fd, POLLIN, 0};
        const int ready = poll(&waiting, 1, static_cast<int>(left.count()));
        if (ready < 0 && errno == EINTR) continue;
        if (ready <= 0) return false;
        char chunk[512];
        const ssize_t got = read(fd, chunk, sizeof chunk);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) return true;
        if (answer.size() < 4096) answer.append(chunk, static_cast<std::size_t>(got));
    }
}

// The verifier's answer line; Killed for anything it would not write.
ReplayResult ParseReplayAnswer(const std::string& answer) {
    static const std::array<std::pair<const char*, ReplayEnding>, 5> kEndings{{
        {"report", ReplayEnding::Report},
        {"quit", ReplayEnding::Quit},
        {"paused", ReplayEnding::Paused},
        {"limit", ReplayEnding::Limit},
        {"fatal", ReplayEnding::Fatal},
    }};
    ReplayResult result;
    std::istringstream line(answer);
    std::string ending;
    line >> ending;
    if (ending == "error") {
        result.Ending = ReplayEnding::Error;
        std::getline(line >> std::ws, result.Detail);
        return result;
    }
    if (!(line >> result.Points >> result.Seed >> result.Frames >> result.Polls)) return {};
    for (const auto& [word, value] : kEndings) {
        if (ending == word) result.Ending = value;
    }
    return result;
}

}  // namespace

ReplayResult RunVerifier(const std::string& program, const std::string& demo,
                         const ReplayLimits& limits) {
    const Pipe input = MakePipe();
    const Pipe output = MakePipe();
    const pid_t pid = Spawn(program, limits, input, output);
    const Clock::time_point deadline = Clock::now() + std::chrono::seconds(limits.WallSeconds);
    WriteAll(input.Write, demo);
    std::string answer;
    const bool finished = ReadUntil(output.Read, deadline, answer);
    close(output.Read);
    if (!finished) kill(pid, SIGKILL);
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    const bool clean = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    return clean ? ParseReplayAnswer(answer) : ReplayResult{};
}
