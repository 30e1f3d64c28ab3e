// Files and the player directory on Windows. Paths arrive as UTF-8 and are
// handed to the wide-character calls; "/" separates as well as "\".
#include <windows.h>
// After windows.h, which it needs: the formatter keeps the order.
#include <shlobj.h>

#include "platform.h"
#include "win32_text.h"

namespace platform {

namespace {

using win32text::utf8;
using win32text::wide;

HANDLE handleOf(FileHandle file) {
    return reinterpret_cast<HANDLE>(file);
}

// Others may read, replace or delete a file while it is open, as on POSIX.
constexpr DWORD shareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

// A virus scanner, an indexer or a backup may hold a file just written for a
// moment, and Windows will then neither replace, delete nor share it: a call
// that fails for that alone is tried again for up to a second, so the round's
// save is not lost to it. Replacing a file held open fails as "access denied".
constexpr int patienceMs = 1000;

bool heldByOther(DWORD error, bool accessDeniedToo) {
    return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION ||
           (accessDeniedToo && error == ERROR_ACCESS_DENIED);
}

template <typename Call>
auto patiently(bool accessDeniedToo, Call call) {
    int waited = 0;
    for (int pause = 1;; pause = pause < 64 ? pause * 2 : 100) {
        const auto result = call();
        if (result || waited >= patienceMs) return result;
        const DWORD error = GetLastError();
        if (!heldByOther(error, accessDeniedToo)) return result;
        Sleep(static_cast<DWORD>(pause));
        waited += pause;
    }
}

}  // namespace

FileHandle openFile(const std::string& path, FileMode mode) {
    DWORD access = GENERIC_READ;
    DWORD disposition = OPEN_EXISTING;
    if (mode == FileMode::append) {
        // Append-only access: every write lands at the end, as O_APPEND does.
        access = FILE_APPEND_DATA | SYNCHRONIZE;
        disposition = OPEN_ALWAYS;
    } else if (mode == FileMode::createNew) {
        access = GENERIC_WRITE;
        disposition = CREATE_NEW;
    }
    const std::wstring name = wide(path);
    const HANDLE h = patiently(false, [&] {
        const HANDLE opened =
            CreateFileW(name.c_str(), access, shareAll, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
        return opened == INVALID_HANDLE_VALUE ? nullptr : opened;
    });
    if (h == nullptr) {
        const DWORD error = GetLastError();
        if (mode == FileMode::createNew && (error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS)) {
            return fileAlreadyThere;
        }
        return noFile;
    }
    return reinterpret_cast<FileHandle>(h);
}

std::int64_t readFile(FileHandle file, void* buffer, std::size_t size) {
    DWORD got = 0;
    const DWORD asked = size > 0x40000000 ? 0x40000000 : static_cast<DWORD>(size);
    if (!ReadFile(handleOf(file), buffer, asked, &got, nullptr)) return -1;
    return got;
}

bool writeFile(FileHandle file, const void* data, std::size_t size) {
    const char* bytes = static_cast<const char*>(data);
    while (size > 0) {
        const DWORD chunk = size > 0x40000000 ? 0x40000000 : static_cast<DWORD>(size);
        DWORD done = 0;
        if (!WriteFile(handleOf(file), bytes, chunk, &done, nullptr) || done == 0) return false;
        bytes += done;
        size -= done;
    }
    return true;
}

bool syncFile(FileHandle file) {
    return FlushFileBuffers(handleOf(file)) != 0;
}

bool closeFile(FileHandle file) {
    return CloseHandle(handleOf(file)) != 0;
}

bool regularFileSize(FileHandle file, std::uint64_t& size) {
    BY_HANDLE_FILE_INFORMATION info{};
    if (GetFileType(handleOf(file)) != FILE_TYPE_DISK || !GetFileInformationByHandle(handleOf(file), &info) ||
        (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        return false;
    }
    size = (static_cast<std::uint64_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
    return true;
}

// The new file inherits its directory's rights, as the old one did.
void copyAccessRights(const std::string&, FileHandle) {}

PathKind pathKind(const std::string& path, bool) {
    const DWORD attributes = GetFileAttributesW(wide(path).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        const DWORD error = GetLastError();
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? PathKind::missing : PathKind::unknown;
    }
    return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ? PathKind::directory : PathKind::file;
}

bool directoryWritable(const std::string& dir) {
    const DWORD attributes = GetFileAttributesW(wide(dir).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool makeDirectory(const std::string& path) {
    return CreateDirectoryW(wide(path).c_str(), nullptr) != 0;
}

std::vector<std::string> listDirectory(const std::string& dir) {
    std::vector<std::string> names;
    WIN32_FIND_DATAW found;
    const HANDLE h = FindFirstFileW(wide(dir + "/*").c_str(), &found);
    if (h == INVALID_HANDLE_VALUE) return names;
    do {
        const std::string name = utf8(found.cFileName);
        if (name != "." && name != "..") names.push_back(name);
    } while (FindNextFileW(h, &found));
    FindClose(h);
    return names;
}

bool replaceFile(const std::string& from, const std::string& to) {
    // Write-through: the call returns once the new name is on disk.
    const std::wstring source = wide(from), target = wide(to);
    return patiently(true, [&] {
        return MoveFileExW(source.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
    });
}

RenameResult renameNoReplace(const std::string& from, const std::string& to) {
    const std::wstring source = wide(from), target = wide(to);
    if (patiently(false, [&] { return MoveFileExW(source.c_str(), target.c_str(), MOVEFILE_WRITE_THROUGH) != 0; })) {
        return RenameResult::done;
    }
    const DWORD error = GetLastError();
    return error == ERROR_FILE_NOT_FOUND ? RenameResult::sourceMissing : RenameResult::failed;
}

bool removeFile(const std::string& path) {
    const std::wstring name = wide(path);
    return patiently(false, [&] { return DeleteFileW(name.c_str()) != 0; });
}

// replaceFile writes the directory through already.
bool syncDirectory(const std::string&) {
    return true;
}

long processId() {
    return static_cast<long>(GetCurrentProcessId());
}

bool processGone(long id) {
    const HANDLE h = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, static_cast<DWORD>(id));
    if (h == nullptr) return GetLastError() == ERROR_INVALID_PARAMETER;
    DWORD code = 0;
    const bool gone = GetExitCodeProcess(h, &code) && code != STILL_ACTIVE;
    CloseHandle(h);
    return gone;
}

std::string playerDirectory() {
    // %APPDATA% when it names an absolute directory, else the shell's answer.
    std::string base;
    const wchar_t* appData = _wgetenv(L"APPDATA");
    const bool absolute = appData != nullptr && appData[0] != L'\0' &&
                          (appData[1] == L':' || (appData[0] == L'\\' && appData[1] == L'\\'));
    if (absolute) {
        base = utf8(appData);
    } else {
        PWSTR known = nullptr;
        if (SHGetKnownFolderPath(FOLDERID_RoamingAppData, 0, nullptr, &known) == S_OK) base = utf8(known);
        CoTaskMemFree(known);
    }
    for (char& c : base) {
        if (c == '\\') c = '/';
    }
    if (base.empty()) return "./Rotandor";
    if (base.back() != '/') base += '/';
    return base + "Rotandor";
}

}  // namespace platform
