#include "output_file.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <optional>

namespace fs = std::filesystem;

namespace {

// The part files being written, for the signal handler: each slot is empty or names one. A run
// has at most its trace and one picture open at once.
std::atomic<const char*> PartsInProgress[3];
static_assert(std::atomic<const char*>::is_always_lock_free);

// Runs as a signal handler, so it may only use async-signal-safe calls: it removes what is
// half-written, then lets the signal end the program as it would have.
extern "C" void RemovePartsAndDie(int number) {
    for (std::atomic<const char*>& slot : PartsInProgress) {
        const char* part = slot.load();
        if (part != nullptr) unlink(part);
    }
    signal(number, SIG_DFL);
    raise(number);
}

void CatchEndSignals() {
    static bool caught = false;
    if (caught) return;
    caught = true;
    const int numbers[] = {SIGINT, SIGTERM, SIGHUP};
    struct sigaction action {};
    action.sa_handler = RemovePartsAndDie;
    sigemptyset(&action.sa_mask);
    for (const int number : numbers) sigaddset(&action.sa_mask, number);
    for (const int number : numbers) {
        struct sigaction before {};
        sigaction(number, nullptr, &before);
        // A signal ignored from the start (nohup, a background job) stays ignored.
        if (before.sa_handler != SIG_IGN) sigaction(number, &action, nullptr);
    }
}

bool Track(const OutputFile& output) {
    for (std::atomic<const char*>& slot : PartsInProgress) {
        const char* empty = nullptr;
        if (slot.compare_exchange_strong(empty, output.Part.c_str())) return true;
    }
    return false;
}

void Untrack(const OutputFile& output) {
    for (std::atomic<const char*>& slot : PartsInProgress) {
        const char* mine = output.Part.c_str();
        slot.compare_exchange_strong(mine, nullptr);
    }
}

// The file a chain of links leads to; it need not exist yet.
std::optional<fs::path> FollowLinks(fs::path path) {
    for (int hop = 0; hop < 40; ++hop) {
        std::error_code error;
        if (!fs::is_symlink(fs::symlink_status(path, error))) return path;
        const fs::path next = fs::read_symlink(path, error);
        if (error) return std::nullopt;
        path = path.parent_path() / next;  // an absolute link replaces the whole path
    }
    return std::nullopt;  // a loop of links
}

bool OpenPart(OutputFile& output, std::optional<mode_t> keptMode) {
    CatchEndSignals();
    output.Part = output.Target + ".part";
    // Left by a run killed outright. Made afresh, it is never a link someone else put there.
    unlink(output.Part.c_str());
    if (!Track(output)) return false;
    const int fd = open(output.Part.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    // The new file gives the same access as the one it replaces.
    const bool ready = fd >= 0 && (!keptMode || fchmod(fd, *keptMode) == 0);
    output.File = ready ? fdopen(fd, "wb") : nullptr;
    if (output.File != nullptr) return true;
    if (fd >= 0) {
        close(fd);
        unlink(output.Part.c_str());
    }
    Untrack(output);
    return false;
}

}  // namespace

bool OpenOutput(OutputFile& output, const std::string& path) {
    const std::optional<fs::path> target = FollowLinks(path);
    if (!target) return false;
    output.Target = target->string();
    struct stat info {};
    if (stat(output.Target.c_str(), &info) != 0) return OpenPart(output, std::nullopt);
    if (!S_ISREG(info.st_mode)) {
        output.File = std::fopen(output.Target.c_str(), "wb");
        return output.File != nullptr;
    }
    // Moving a file onto another asks only for a writable folder, not a writable file.
    if (faccessat(AT_FDCWD, output.Target.c_str(), W_OK, AT_EACCESS) != 0) return false;
    return OpenPart(output, info.st_mode & 0777);
}

void OpenStandardOutput(OutputFile& output) { output.File = stdout; }

bool CloseOutput(OutputFile& output, bool keep) {
    if (output.File == nullptr) return true;
    // A write that failed early (a full disk) leaves only the error flag; close alone may pass.
    const bool failedEarlier = std::ferror(output.File) != 0;
    const bool written = std::fclose(output.File) == 0 && !failedEarlier;
    output.File = nullptr;
    if (output.Part.empty()) return written || !keep;
    const bool moved =
        keep && written && std::rename(output.Part.c_str(), output.Target.c_str()) == 0;
    if (!moved) unlink(output.Part.c_str());
    Untrack(output);
    return moved || !keep;
}
