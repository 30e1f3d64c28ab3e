#pragma once
// Replacing files so that a failure never loses the old content: the parts
// of the numbered files (records.cpp) that touch the disk.
//
// Files opened for output are written beside their target under a temporary
// name and put in its place by one rename when they are closed, after the
// data has reached the disk. A failed or interrupted write therefore leaves
// the previous file whole; temporary files of writers that were killed are
// swept away.
//
// Deleting a file that is then written anew (the game deletes its date file
// before each rewrite) would open a moment in which neither the old nor the
// new content is on disk. So a delete only marks the file: to the program it
// is gone at once, but on disk it stays until it is replaced by the rewrite,
// or until anything else touches that path, files are closed at the end, or
// the program exits. A crash in between leaves the old file. When the rewrite
// itself fails, the file is deleted as asked.
//
// Every operation that can fail for want of space or rights passes the
// tests' fault hook (records::failFileOperationsAfter).
#include <string>
#include <string_view>

#include "platform.h"

namespace svc::safewrite {

std::string parentOf(const std::string& hostPath);
void makeDirectories(const std::string& dir);

// A new temporary file in `dir` for a target there, or noFile; stale ones
// left in `dir` by dead writers are removed first.
platform::FileHandle createTemp(const std::string& dir, std::string& tempPath);
bool writeAll(platform::FileHandle fd, std::string_view bytes);
// The written temporary file synced, closed and renamed over its target.
// On failure it is removed, and so is the target when its delete was waiting
// for this rewrite.
void commit(platform::FileHandle fd, const std::string& temp, const std::string& target, bool written,
            bool replacesDeleted);

// Deletes waiting for a rewrite (host paths).
bool deletePending(const std::string& host);
void markDeleted(const std::string& host);
// Whether a delete of `host` was waiting; it is no longer.
bool takePendingDelete(const std::string& host);
void flushPendingDeletes();

}  // namespace svc::safewrite
