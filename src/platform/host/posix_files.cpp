// The file seam on POSIX systems.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <ctime>

#include "platform/host/files.h"

namespace host::files {

std::string DataFolder() {
    const char* data = std::getenv("XDG_DATA_HOME");
    // The base directory rules ignore a relative path.
    if (data != nullptr && data[0] == '/') return JoinPath(data, "cave");
    const char* home = std::getenv("HOME");
    if (home == nullptr || home[0] == '\0') return {};
    return JoinPath(home, ".local/share/cave");
}

std::string JoinPath(const std::string& folder, const std::string& name) {
    if (!folder.empty() && folder.back() == '/') return folder + name;
    return folder + "/" + name;
}

bool MakeFolders(const std::string& folder) {
    for (std::size_t slash = folder.find('/', 1); slash != std::string::npos;
         slash = folder.find('/', slash + 1)) {
        ::mkdir(folder.substr(0, slash).c_str(), 0755);
    }
    ::mkdir(folder.c_str(), 0755);
    struct stat info {};
    return ::stat(folder.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

ReadResult ReadWholeFile(const std::string& path, std::string& text) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return errno == ENOENT ? ReadResult::Missing : ReadResult::Failed;
    text.clear();
    char chunk[4096];
    ssize_t got = 0;
    while ((got = ::read(fd, chunk, sizeof chunk)) > 0)
        text.append(chunk, static_cast<size_t>(got));
    ::close(fd);
    return got == 0 ? ReadResult::Read : ReadResult::Failed;
}

bool WriteFlushed(const std::string& path, const std::string& text) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) return false;
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t wrote = ::write(fd, text.data() + done, text.size() - done);
        if (wrote <= 0) break;
        done += static_cast<std::size_t>(wrote);
    }
    const bool flushed = done == text.size() && ::fsync(fd) == 0;
    return ::close(fd) == 0 && flushed;
}

bool RenameReplacing(const std::string& from, const std::string& to) {
    return std::rename(from.c_str(), to.c_str()) == 0;
}

bool MoveFileNoReplace(const std::string& from, const std::string& to) {
    // A hard link fails when `to` exists; the old name goes only once the new one is there.
    if (::link(from.c_str(), to.c_str()) != 0) return false;
    return ::unlink(from.c_str()) == 0;
}

bool RemoveFile(const std::string& path) { return ::unlink(path.c_str()) == 0; }

std::uintptr_t LockFile(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0) return 0;
    while (::flock(fd, LOCK_EX) != 0) {
        if (errno != EINTR) {
            ::close(fd);
            return 0;
        }
    }
    return static_cast<std::uintptr_t>(fd) + 1;
}

void UnlockFile(std::uintptr_t lock) {
    if (lock != 0) ::close(static_cast<int>(lock - 1));
}

std::string LocalDateTime() {
    const std::time_t now = std::time(nullptr);
    struct tm local {};
    ::localtime_r(&now, &local);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S", &local);
    return text;
}

std::uint32_t ProcessNumber() { return static_cast<std::uint32_t>(::getpid()); }

}  // namespace host::files
