// The file seam on Windows: paths are UTF-8 here and UTF-16 in every call to Windows.
#define WIN32_LEAN_AND_MEAN
#define NOMINMAX
#include <windows.h>
// after windows.h, which they need
#include <knownfolders.h>
#include <shlobj.h>

#include <cstdio>

#include "platform/host/files.h"
#include "platform/host/win32/win32_text.h"

namespace host::files {

using win32::Wide;

// The roaming application data as Windows knows it, not %APPDATA%, which a start from another
// program may have left out or changed.
std::string DataFolder() {
    PWSTR path = nullptr;
    const bool found = SHGetKnownFolderPath(FOLDERID_RoamingAppData, 0, nullptr, &path) == S_OK;
    const std::string folder = found ? win32::Utf8(path) : std::string();
    CoTaskMemFree(path);  // owed even when the call failed
    return folder.empty() ? folder : JoinPath(folder, "cave");
}

std::string JoinPath(const std::string& folder, const std::string& name) {
    if (!folder.empty() && (folder.back() == '\\' || folder.back() == '/')) return folder + name;
    return folder + "\\" + name;
}

bool MakeFolders(const std::string& folder) {
    // From the first separator after a drive or share name on; the early ones simply fail.
    for (std::size_t i = 1; i < folder.size(); ++i) {
        if (folder[i] == '\\' || folder[i] == '/')
            CreateDirectoryW(Wide(folder.substr(0, i)).c_str(), nullptr);
    }
    CreateDirectoryW(Wide(folder).c_str(), nullptr);
    const DWORD attributes = GetFileAttributesW(Wide(folder).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

ReadResult ReadWholeFile(const std::string& path, std::string& text) {
    HANDLE file = CreateFileW(Wide(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        const bool missing = error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
        return missing ? ReadResult::Missing : ReadResult::Failed;
    }
    text.clear();
    char chunk[4096];
    DWORD got = 0;
    BOOL good = TRUE;
    while ((good = ::ReadFile(file, chunk, sizeof chunk, &got, nullptr)) && got > 0) {
        text.append(chunk, got);
    }
    CloseHandle(file);
    return good ? ReadResult::Read : ReadResult::Failed;
}

bool WriteFlushed(const std::string& path, const std::string& text) {
    HANDLE file = CreateFileW(Wide(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD wrote = 0;
    const bool written =
        WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &wrote, nullptr) &&
        wrote == text.size() && FlushFileBuffers(file);
    return CloseHandle(file) && written;
}

bool RenameReplacing(const std::string& from, const std::string& to) {
    return MoveFileExW(Wide(from).c_str(), Wide(to).c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

bool MoveFileNoReplace(const std::string& from, const std::string& to) {
    return MoveFileExW(Wide(from).c_str(), Wide(to).c_str(), MOVEFILE_WRITE_THROUGH) != 0;
}

bool RemoveFile(const std::string& path) { return DeleteFileW(Wide(path).c_str()) != 0; }

std::uintptr_t LockFile(const std::string& path) {
    HANDLE file = CreateFileW(Wide(path).c_str(), GENERIC_READ | GENERIC_WRITE,
                              FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return 0;
    OVERLAPPED whole{};
    if (!LockFileEx(file, LOCKFILE_EXCLUSIVE_LOCK, 0, 1, 0, &whole)) {
        CloseHandle(file);
        return 0;
    }
    return reinterpret_cast<std::uintptr_t>(file);
}

void UnlockFile(std::uintptr_t lock) {
    // Closing the handle lets go of its lock.
    if (lock != 0) CloseHandle(reinterpret_cast<HANDLE>(lock));
}

std::string LocalDateTime() {
    SYSTEMTIME now{};
    GetLocalTime(&now);
    char text[32];
    std::snprintf(text, sizeof text, "%04u-%02u-%02uT%02u:%02u:%02u", now.wYear, now.wMonth,
                  now.wDay, now.wHour, now.wMinute, now.wSecond);
    return text;
}

std::uint32_t ProcessNumber() { return GetCurrentProcessId(); }

}  // namespace host::files
