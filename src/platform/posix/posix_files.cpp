// Files and the player directory on POSIX systems.
#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include "platform.h"

namespace platform {

namespace {

int fdOf(FileHandle file) {
    return static_cast<int>(file);
}

}  // namespace

FileHandle openFile(const std::string& path, FileMode mode) {
    int fd = -1;
    switch (mode) {
        case FileMode::read: fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC); break;
        case FileMode::append: fd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0666); break;
        case FileMode::createNew:
            fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
            if (fd < 0 && errno == EEXIST) return fileAlreadyThere;
            break;
    }
    return fd < 0 ? noFile : fd;
}

std::int64_t readFile(FileHandle file, void* buffer, std::size_t size) {
    for (;;) {
        const ssize_t got = ::read(fdOf(file), buffer, size);
        if (got < 0 && errno == EINTR) continue;
        return got;
    }
}

bool writeFile(FileHandle file, const void* data, std::size_t size) {
    const char* bytes = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t done = ::write(fdOf(file), bytes, size);
        if (done < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        bytes += done;
        size -= static_cast<std::size_t>(done);
    }
    return true;
}

bool syncFile(FileHandle file) {
    return ::fsync(fdOf(file)) == 0;
}

bool closeFile(FileHandle file) {
    return ::close(fdOf(file)) == 0;
}

bool regularFileSize(FileHandle file, std::uint64_t& size) {
    struct stat st {};
    if (::fstat(fdOf(file), &st) != 0 || !S_ISREG(st.st_mode)) return false;
    size = static_cast<std::uint64_t>(st.st_size);
    return true;
}

void copyAccessRights(const std::string& fromPath, FileHandle to) {
    struct stat st {};
    if (::stat(fromPath.c_str(), &st) == 0) ::fchmod(fdOf(to), st.st_mode & 07777);
}

PathKind pathKind(const std::string& path, bool followLinks) {
    struct stat st {};
    const int result = followLinks ? ::stat(path.c_str(), &st) : ::lstat(path.c_str(), &st);
    if (result != 0) return errno == ENOENT ? PathKind::missing : PathKind::unknown;
    return S_ISDIR(st.st_mode) ? PathKind::directory : PathKind::file;
}

bool directoryWritable(const std::string& dir) {
    return ::access(dir.c_str(), W_OK | X_OK) == 0;
}

bool makeDirectory(const std::string& path) {
    return ::mkdir(path.c_str(), 0700) == 0;
}

std::vector<std::string> listDirectory(const std::string& dir) {
    std::vector<std::string> names;
    DIR* d = ::opendir(dir.c_str());
    if (d == nullptr) return names;
    while (const dirent* e = ::readdir(d)) {
        const std::string name = e->d_name;
        if (name != "." && name != "..") names.push_back(name);
    }
    ::closedir(d);
    return names;
}

bool replaceFile(const std::string& from, const std::string& to) {
    return ::rename(from.c_str(), to.c_str()) == 0;
}

RenameResult renameNoReplace(const std::string& from, const std::string& to) {
#if defined(RENAME_NOREPLACE)
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return RenameResult::done;
    const bool unsupported = errno == EINVAL || errno == ENOSYS;
#else
    const bool unsupported = true;
#endif
    if (unsupported) {
        // A file system without the no-replace rename.
        struct stat st {};
        if (::lstat(to.c_str(), &st) == 0) return RenameResult::failed;
        if (::rename(from.c_str(), to.c_str()) == 0) return RenameResult::done;
    }
    return errno == ENOENT ? RenameResult::sourceMissing : RenameResult::failed;
}

bool removeFile(const std::string& path) {
    return ::unlink(path.c_str()) == 0;
}

bool syncDirectory(const std::string& dir) {
    const int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return false;
    const bool ok = ::fsync(fd) == 0;
    ::close(fd);
    return ok;
}

long processId() {
    return static_cast<long>(::getpid());
}

bool processGone(long id) {
    return ::kill(static_cast<pid_t>(id), 0) != 0 && errno == ESRCH;
}

std::string playerDirectory() {
    // Relative values are to be ignored, as for every XDG variable.
    const char* xdg = std::getenv("XDG_DATA_HOME");
    if (xdg != nullptr && xdg[0] == '/') return std::string(xdg) + "/rotandor";
    const char* home = std::getenv("HOME");
    return std::string(home != nullptr && home[0] != '\0' ? home : ".") + "/.local/share/rotandor";
}

}  // namespace platform
