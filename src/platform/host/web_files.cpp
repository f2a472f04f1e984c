// The file seam in the browser: the files live in the site's IndexedDB, one record per file keyed
// by its path, reached through Module.fileStore, which the page provides (web/page.js). Every
// operation is one transaction and returns once it has been committed: a tab that takes the lock
// after another has let go of it reads what that one wrote (local storage gives no such promise
// between tabs), and a rename is atomic.
#include <emscripten.h>

#include <string>

#include "platform/host/files.h"

namespace {

// clang-format off
// Without a page, or with storage the browser refuses (some private windows, blocked site data,
// a full quota), the store throws or rejects: every operation then reports failure.

// The byte length of a file's text as UTF-8, kept for CopyMeasuredFile: -1 when it is missing, -2 when it
// cannot be read.
EM_ASYNC_JS(int, MeasureFile, (const char* key), {
    const path = UTF8ToString(key);
    try {
        const text = await Module.fileStore('readonly', (store) => {
            const read = store.get(path);
            return () => read.result;
        });
        if (typeof text !== 'string') return text === undefined ? -1 : -2;
        Module.fileRead = text;
        return lengthBytesUTF8(text);
    } catch (error) {
        return -2;
    }
});

EM_JS(void, CopyMeasuredFile, (char* out, int size), {
    stringToUTF8(Module.fileRead, out, size);
    Module.fileRead = null;
});

EM_ASYNC_JS(int, StoreFile, (const char* key, const char* text), {
    const path = UTF8ToString(key);
    const value = UTF8ToString(text);
    try {
        return await Module.fileStore('readwrite', (store) => {
            store.put(value, path);
            return () => 1;
        });
    } catch (error) {
        return 0;
    }
});

EM_ASYNC_JS(int, MoveStoredFile, (const char* from, const char* to, int replace), {
    const source = UTF8ToString(from);
    const target = UTF8ToString(to);
    try {
        return await Module.fileStore('readwrite', (store) => {
            let moved = 0;
            const read = store.get(source);
            const taken = store.count(target);
            taken.onsuccess = () => {
                if (read.result === undefined || (!replace && taken.result > 0)) return;
                store.put(read.result, target);
                store.delete(source);
                moved = 1;
            };
            return () => moved;
        });
    } catch (error) {
        return 0;
    }
});

EM_ASYNC_JS(int, DropFile, (const char* key), {
    const path = UTF8ToString(key);
    try {
        return await Module.fileStore('readwrite', (store) => {
            const there = store.count(path);
            there.onsuccess = () => store.delete(path);
            return () => (there.result > 0 ? 1 : 0);
        });
    } catch (error) {
        return 0;
    }
});

EM_ASYNC_JS(int, StorageUsable, (), {
    try {
        return await Module.fileStore('readonly', () => () => 1);
    } catch (error) {
        return 0;
    }
});

// Tabs of the same page share the storage: the Web Locks API makes their games take turns. It
// exists only on secure pages (https, or this machine); elsewhere two tabs ending in the very same
// moment could still race, which is all a page without it can do.
EM_ASYNC_JS(int, TakeLock, (const char* name), {
    if (!navigator.locks) return 1;
    return await new Promise((resolve) => {
        const held = () => new Promise((release) => {
            Module.releaseLock = release;
            resolve(1);
        });
        navigator.locks.request(UTF8ToString(name), held).catch(() => resolve(0));
    });
});

EM_JS(void, ReleaseLock, (), {
    if (Module.releaseLock) Module.releaseLock();
    Module.releaseLock = null;
});

EM_JS(void, FormatLocalNow, (char* out, int size), {
    const now = new Date();
    const two = (n) => String(n).padStart(2, '0');
    const date = now.getFullYear() + '-' + two(now.getMonth() + 1) + '-' + two(now.getDate());
    const time = two(now.getHours()) + ':' + two(now.getMinutes()) + ':' + two(now.getSeconds());
    stringToUTF8(date + 'T' + time, out, size);
});

EM_JS(unsigned, PageNumber, (), {
    if (!Module.pageNumber) Module.pageNumber = crypto.getRandomValues(new Uint32Array(1))[0] | 1;
    return Module.pageNumber;
});

// clang-format on

}  // namespace

namespace host::files {

// Not a folder but the prefix of the game's keys, which keeps them apart from anything else the
// site stores.
std::string DataFolder() { return "cave"; }

std::string JoinPath(const std::string& folder, const std::string& name) {
    return folder + "/" + name;
}

bool MakeFolders(const std::string&) { return StorageUsable() != 0; }

ReadResult ReadWholeFile(const std::string& path, std::string& text) {
    const int length = MeasureFile(path.c_str());
    if (length == -1) return ReadResult::Missing;
    if (length < 0) return ReadResult::Failed;
    text.assign(static_cast<std::size_t>(length) + 1, '\0');
    CopyMeasuredFile(text.data(), length + 1);
    text.resize(static_cast<std::size_t>(length));
    return ReadResult::Read;
}

bool WriteFlushed(const std::string& path, const std::string& text) {
    return StoreFile(path.c_str(), text.c_str()) != 0;
}

bool RenameReplacing(const std::string& from, const std::string& to) {
    return MoveStoredFile(from.c_str(), to.c_str(), 1) != 0;
}

bool MoveFileNoReplace(const std::string& from, const std::string& to) {
    return MoveStoredFile(from.c_str(), to.c_str(), 0) != 0;
}

bool RemoveFile(const std::string& path) { return DropFile(path.c_str()) != 0; }

std::uintptr_t LockFile(const std::string& path) {
    return static_cast<std::uintptr_t>(TakeLock(path.c_str()));
}

void UnlockFile(std::uintptr_t lock) {
    if (lock != 0) ReleaseLock();
}

std::string LocalDateTime() {
    char text[32] = {};
    FormatLocalNow(text, sizeof text);
    return text;
}

std::uint32_t ProcessNumber() { return PageNumber(); }

}  // namespace host::files
