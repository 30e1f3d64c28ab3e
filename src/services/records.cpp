// Numbered files: opening, writing items, reading items, closing, and the
// file operations around them. How output replaces its target and how a
// delete waits for a rewrite is safe_write.h's.
#include "records.h"

#include <array>

#include "item_reader.h"
#include "number_text.h"
#include "paths.h"
#include "platform.h"
#include "safe_write.h"

namespace svc {

namespace {

using records::Source;
using namespace safewrite;

constexpr int errFailed = 1;
constexpr int errCannotOpen = 2;
constexpr int errBadNumber = 3;

constexpr std::size_t flushThreshold = 64 * 1024;

struct OpenFile {
    bool used = false;
    OpenMode mode = OpenMode::input;
    platform::FileHandle fd = platform::noFile;
    std::string target;            // host path
    std::string temp;              // output: the file written beside the target
    std::string unwritten;         // bytes not yet handed to the system
    bool failed = false;           // a write failed; the rest is dropped
    bool replacesDeleted = false;  // the target was deleted before this rewrite
    std::uint64_t column = 0;
    std::uint64_t size = 0;  // input: the size at opening
    Source in;
};

std::array<OpenFile, 256> files;  // index 0 unused
int readFrom = 0;

bool validNumber(int n) {
    return n >= 1 && n <= 255;
}

// Writing --------------------------------------------------------------------

void flushUnwritten(OpenFile& f) {
    if (!f.failed && !writeAll(f.fd, f.unwritten)) f.failed = true;
    f.unwritten.clear();
}

void emit(OpenFile& f, std::string_view bytes) {
    const std::size_t last = bytes.find_last_of("\r\n");
    if (last == std::string_view::npos)
        f.column += bytes.size();
    else
        f.column = bytes.size() - last - 1;
    if (f.failed) return;
    f.unwritten.append(bytes);
    if (f.unwritten.size() >= flushThreshold) flushUnwritten(f);
}

OpenFile* writable(int n) {
    if (!validNumber(n) || !files[n].used || files[n].mode == OpenMode::input) return nullptr;
    return &files[n];
}

void writeItem(int n, std::string_view item, ItemEnd end) {
    OpenFile* f = writable(n);
    if (f == nullptr) return;
    emit(*f, item);
    if (end == ItemEnd::lineEnd) emit(*f, "\r\n");
    if (end == ItemEnd::zone) emit(*f, std::string(14 - f->column % 14, ' '));
}

// Puts a finished output file in place of its target.
void commitOutput(OpenFile& f) {
    flushUnwritten(f);
    commit(f.fd, f.temp, f.target, !f.failed, f.replacesDeleted);
}

// Reading --------------------------------------------------------------------

Source* readSource() {
    if (!validNumber(readFrom) || !files[readFrom].used || files[readFrom].mode != OpenMode::input) return nullptr;
    return &files[readFrom].in;
}

records::Item nextItem(records::ReadKind kind) {
    Source* s = readSource();
    if (s == nullptr) return {};
    return records::readItem(*s, kind);
}

bool isDirectory(const std::string& path) {
    return platform::pathKind(path) == platform::PathKind::directory;
}

// An open regular file, or noFile.
platform::FileHandle openRegular(const std::string& host, std::uint64_t& size) {
    const platform::FileHandle fd = platform::openFile(host, platform::FileMode::read);
    if (fd < 0) return platform::noFile;
    if (!platform::regularFileSize(fd, size)) {
        platform::closeFile(fd);
        return platform::noFile;
    }
    return fd;
}

}  // namespace

int freeFileNumber() {
    for (int n = 1; n <= 255; n++) {
        if (!files[n].used) return n;
    }
    return 0;
}

int openFile(const std::string& path, OpenMode mode, int fileNumber) {
    if (!validNumber(fileNumber) || files[fileNumber].used) return errBadNumber;
    const std::string host = hostPath(path);
    OpenFile f;
    f.mode = mode;
    f.target = host;

    if (mode == OpenMode::input) {
        flushPendingDeletes();
        f.fd = openRegular(host, f.size);
        if (f.fd < 0) return errCannotOpen;
        f.in.fd = f.fd;
    } else {
        if (inPlayerDirectory(path)) makeDirectories(parentOf(host));
        if (mode == OpenMode::append) {
            flushPendingDeletes();
            f.fd = platform::openFile(host, platform::FileMode::append);
            if (f.fd < 0) return errCannotOpen;
        } else {
            f.replacesDeleted = takePendingDelete(host);
            flushPendingDeletes();
            const std::string dir = parentOf(host);
            if (!isDirectory(host)) f.fd = createTemp(dir, f.temp);
            if (f.fd < 0) {
                f.fd = platform::noFile;
                if (f.replacesDeleted) platform::removeFile(host);
                return errCannotOpen;
            }
            platform::copyAccessRights(host, f.fd);
        }
    }
    f.used = true;
    files[fileNumber] = std::move(f);
    return 0;
}

void closeFile(int fileNumber) {
    if (!validNumber(fileNumber) || !files[fileNumber].used) return;
    OpenFile& f = files[fileNumber];
    switch (f.mode) {
        case OpenMode::input: platform::closeFile(f.fd); break;
        case OpenMode::append:
            flushUnwritten(f);
            platform::closeFile(f.fd);
            break;
        case OpenMode::output: commitOutput(f); break;
    }
    f = OpenFile{};
}

void closeAllFiles() {
    for (int n = 1; n <= 255; n++) closeFile(n);
    flushPendingDeletes();
}

void settleDeletes() {
    flushPendingDeletes();
}

int fileExists(const std::string& path) {
    const std::string host = hostPath(path);
    flushPendingDeletes();
    std::uint64_t size = 0;
    const platform::FileHandle fd = openRegular(host, size);
    if (fd < 0) return 0;
    platform::closeFile(fd);
    return -1;
}

int deleteFile(const std::string& path) {
    const std::string host = hostPath(path);
    if (deletePending(host)) return errCannotOpen;
    flushPendingDeletes();
    const platform::PathKind kind = platform::pathKind(host, false);
    if (kind == platform::PathKind::missing) return errCannotOpen;
    if (kind != platform::PathKind::file || !platform::directoryWritable(parentOf(host))) return errFailed;
    markDeleted(host);
    return 0;
}

int renameFile(const std::string& from, const std::string& to) {
    const std::string source = hostPath(from);
    const std::string target = hostPath(to);
    flushPendingDeletes();
    // Never replaces an existing file.
    switch (platform::renameNoReplace(source, target)) {
        case platform::RenameResult::done: return 0;
        case platform::RenameResult::sourceMissing: return errCannotOpen;
        case platform::RenameResult::failed: break;
    }
    return errFailed;
}

void writeInt(int fileNumber, std::int32_t value, ItemEnd end) {
    // A blank where a minus would stand.
    std::string item = value < 0 ? "" : " ";
    item += intToText(value);
    writeItem(fileNumber, item, end);
}

void writeUnsigned64(int fileNumber, std::uint64_t value, ItemEnd end) {
    writeItem(fileNumber, unsigned64ToText(value), end);
}

void writeText(int fileNumber, std::string_view text, ItemEnd end) {
    writeItem(fileNumber, text, end);
}

void beginRead(int fileNumber) {
    readFrom = fileNumber;
}

std::string readText() {
    return nextItem(records::ReadKind::text).bytes;
}

std::int32_t readInt() {
    return records::itemToInt32(nextItem(records::ReadKind::number));
}

std::int64_t readInt64() {
    return records::itemToInt64(nextItem(records::ReadKind::number));
}

double readDouble() {
    return records::itemToDouble(nextItem(records::ReadKind::number));
}

int atEndOfFile(int fileNumber) {
    if (!validNumber(fileNumber) || !files[fileNumber].used || files[fileNumber].mode != OpenMode::input) return -1;
    const OpenFile& f = files[fileNumber];
    // A file that shrank after opening (or failed to read) never reaches its
    // old size; a loop over it must still end.
    const bool drained = f.in.drained && f.in.pos >= f.in.data.size();
    return f.in.consumed >= f.size || drained ? -1 : 0;
}

}  // namespace svc
