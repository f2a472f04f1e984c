#include "platform/user_files.h"

#include <algorithm>

#include "platform/host/files.h"

namespace files = host::files;

std::string UserDataFolder() { return files::DataFolder(); }

std::string JoinPath(const std::string& folder, const std::string& name) {
    return files::JoinPath(folder, name);
}

bool MakeFolders(const std::string& folder) { return files::MakeFolders(folder); }

FileRead ReadTextFile(const std::string& path, std::string& text) {
    switch (files::ReadWholeFile(path, text)) {
        case files::ReadResult::Read:
            return FileRead::Read;
        case files::ReadResult::Missing:
            return FileRead::Missing;
        default:
            return FileRead::Failed;
    }
}

bool ReplaceTextFile(const std::string& path, const std::string& text) {
    const std::string part = path + ".part";
    if (files::WriteFlushed(part, text) && files::RenameReplacing(part, path)) return true;
    files::RemoveFile(part);
    return false;
}

std::string MoveAside(const std::string& path) {
    const std::string aside = path + ".aside-" + FileNameStamp();
    // Two moves in the same second (two processes at once) get different names.
    for (int n = 1; n <= 100; ++n) {
        const std::string name = n == 1 ? aside : aside + "-" + std::to_string(n);
        if (files::MoveFileNoReplace(path, name)) return name;
    }
    return {};
}

bool RemoveFile(const std::string& path) { return files::RemoveFile(path); }

FileLock::FileLock(const std::string& path) : Handle(files::LockFile(path)) {}

FileLock::~FileLock() { files::UnlockFile(Handle); }

std::string LocalDateTime() { return files::LocalDateTime(); }

std::string FileNameStamp() {
    std::string stamp = files::LocalDateTime();
    std::replace(stamp.begin(), stamp.end(), ':', '-');
    return stamp;
}

std::uint32_t ProcessNumber() { return files::ProcessNumber(); }
