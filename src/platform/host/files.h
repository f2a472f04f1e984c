// The second seam: the few file-system services the best-scores table needs. One file per
// system implements them (posix_files.cpp, win32_files.cpp, and web_files.cpp on the site's
// IndexedDB); only src/platform/ includes this header. Failures are reported by return values,
// never by messages.
#pragma once

#include <cstdint>
#include <string>

namespace host::files {

// The user's folder for the game's data, not necessarily existing yet: $XDG_DATA_HOME/cave or
// ~/.local/share/cave on Linux, %APPDATA%\cave on Windows, the keys' prefix in a browser. Empty
// when it cannot be told.
std::string DataFolder();
// `folder` followed by `name`, with the system's separator.
std::string JoinPath(const std::string& folder, const std::string& name);
// Makes the folder and any missing parents. True when it exists afterwards.
bool MakeFolders(const std::string& folder);

enum class ReadResult { Read, Missing, Failed };
ReadResult ReadWholeFile(const std::string& path, std::string& text);
// Creates or truncates the file, writes the text and flushes it to the disk before closing.
bool WriteFlushed(const std::string& path, const std::string& text);
// Moves `from` to `to` in one step; an existing `to` is replaced. (Not "ReplaceFile": windows.h
// takes that name for a macro.)
bool RenameReplacing(const std::string& from, const std::string& to);
// Moves `from` to `to` only when `to` does not exist.
bool MoveFileNoReplace(const std::string& from, const std::string& to);
bool RemoveFile(const std::string& path);

// An exclusive lock on `path` (created if missing) among cooperating processes; waits for it.
// 0 on failure.
std::uintptr_t LockFile(const std::string& path);
void UnlockFile(std::uintptr_t lock);

// Local time as "YYYY-MM-DDTHH:MM:SS", and a number that tells this process from any other
// that runs at the same time.
std::string LocalDateTime();
std::uint32_t ProcessNumber();

}  // namespace host::files
