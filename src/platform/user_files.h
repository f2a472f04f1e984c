// The player's own files: the folder for the game's data, and whole-file writes that never
// leave a file half-written.
#pragma once

#include <cstdint>
#include <string>

// $XDG_DATA_HOME/cave or ~/.local/share/cave on Linux, %APPDATA%\cave on Windows; empty when
// there is none. Not made here.
std::string UserDataFolder();
std::string JoinPath(const std::string& folder, const std::string& name);
// True when the folder exists afterwards.
bool MakeFolders(const std::string& folder);

enum class FileRead { Read, Missing, Failed };
FileRead ReadTextFile(const std::string& path, std::string& text);
// Written beside its place, flushed to the disk, then renamed over it: a reader, or the next
// start after a crash, finds either the old file or the new one, whole.
bool ReplaceTextFile(const std::string& path, const std::string& text);
// Renames the file to a new name beside it that tells when; returns that name, empty when the
// file could not be moved.
std::string MoveAside(const std::string& path);
bool RemoveFile(const std::string& path);

// Holds an exclusive lock on a lock file among all processes that use it, for its lifetime.
class FileLock {
  public:
    explicit FileLock(const std::string& path);
    ~FileLock();
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;
    bool Held() const { return Handle != 0; }

  private:
    std::uintptr_t Handle;
};

// "YYYY-MM-DDTHH:MM:SS", local time.
std::string LocalDateTime();
// The same with '-' for ':', which Windows allows in no file name.
std::string FileNameStamp();
// Tells this process from every other one running now.
std::uint32_t ProcessNumber();
