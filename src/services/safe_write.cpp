#include "safe_write.h"

#include <algorithm>
#include <cstdlib>
#include <set>
#include <vector>

#include "records.h"

namespace svc::safewrite {

namespace {

constexpr const char* tempPrefix = ".rotandor-";
constexpr const char* tempSuffix = ".tmp";

std::vector<std::string> pendingDeletes;  // host paths
bool exitHookSet = false;
std::set<std::string> sweptDirectories;
unsigned tempSequence = 0;
int faultCountdown = -1;

// True when the operation about to be done must fail (failFileOperationsAfter).
bool injectedFailure() {
    if (faultCountdown < 0) return false;
    if (faultCountdown == 0) return true;
    faultCountdown--;
    return false;
}

bool syncFile(platform::FileHandle fd) {
    if (injectedFailure()) return false;
    return platform::syncFile(fd);
}

bool renameOver(const std::string& from, const std::string& to) {
    if (injectedFailure()) return false;
    return platform::replaceFile(from, to);
}

bool syncDirectory(const std::string& dir) {
    if (injectedFailure()) return false;
    return platform::syncDirectory(dir);
}

// Temporary files left by a writer that was killed; only those of processes
// that no longer run are removed.
void sweepStaleTemps(const std::string& dir) {
    if (!sweptDirectories.insert(dir).second) return;
    const std::string prefix = tempPrefix;
    const std::string suffix = tempSuffix;
    for (const std::string& name : platform::listDirectory(dir)) {
        if (name.size() <= prefix.size() + suffix.size() || name.compare(0, prefix.size(), prefix) != 0 ||
            name.compare(name.size() - suffix.size(), suffix.size(), suffix) != 0) {
            continue;
        }
        char* end = nullptr;
        const long pid = std::strtol(name.c_str() + prefix.size(), &end, 10);
        if (pid <= 0 || end == nullptr || *end != '-' || pid == platform::processId()) continue;
        if (platform::processGone(pid)) platform::removeFile(dir + "/" + name);
    }
}

}  // namespace

std::string parentOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

void makeDirectories(const std::string& dir) {
    if (dir.empty() || platform::pathKind(dir) != platform::PathKind::missing) return;
    const std::string parent = parentOf(dir);
    if (parent != dir) makeDirectories(parent);
    platform::makeDirectory(dir);
}

platform::FileHandle createTemp(const std::string& dir, std::string& tempPath) {
    sweepStaleTemps(dir);
    if (injectedFailure()) return platform::noFile;
    for (int attempt = 0; attempt < 100; attempt++) {
        tempPath = dir + "/" + tempPrefix + std::to_string(platform::processId()) + "-" +
                   std::to_string(tempSequence++) + tempSuffix;
        const platform::FileHandle fd = platform::openFile(tempPath, platform::FileMode::createNew);
        if (fd != platform::fileAlreadyThere) return fd;
    }
    return platform::noFile;
}

bool writeAll(platform::FileHandle fd, std::string_view bytes) {
    if (injectedFailure()) return false;
    return platform::writeFile(fd, bytes.data(), bytes.size());
}

void commit(platform::FileHandle fd, const std::string& temp, const std::string& target, bool written,
            bool replacesDeleted) {
    bool ok = written && syncFile(fd);
    ok = platform::closeFile(fd) && ok;
    ok = ok && renameOver(temp, target);
    if (!ok) {
        platform::removeFile(temp);
        if (replacesDeleted) platform::removeFile(target);
        return;
    }
    // The rename is done; a failed directory sync only risks its durability.
    syncDirectory(parentOf(target));
}

bool deletePending(const std::string& host) {
    return std::find(pendingDeletes.begin(), pendingDeletes.end(), host) != pendingDeletes.end();
}

void markDeleted(const std::string& host) {
    pendingDeletes.push_back(host);
    if (!exitHookSet) {
        exitHookSet = true;
        std::atexit(flushPendingDeletes);
    }
}

bool takePendingDelete(const std::string& host) {
    const auto it = std::find(pendingDeletes.begin(), pendingDeletes.end(), host);
    if (it == pendingDeletes.end()) return false;
    pendingDeletes.erase(it);
    return true;
}

void flushPendingDeletes() {
    for (const std::string& path : pendingDeletes) platform::removeFile(path);
    pendingDeletes.clear();
}

}  // namespace svc::safewrite

namespace svc::records {

void failFileOperationsAfter(int operations) {
    safewrite::faultCountdown = operations;
}

}  // namespace svc::records
