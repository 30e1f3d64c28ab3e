#pragma once
// Text file records: numbered files written item by item (numbers in the
// "% d" form, texts as they are, items ended by nothing, a line end or blanks
// up to the next 14-column zone) and read back item by item. Paths are game
// paths (paths.h).
#include <cstdint>
#include <string>
#include <string_view>

namespace svc {

enum class OpenMode { input, output, append };
enum class ItemEnd { none, lineEnd, zone };

int freeFileNumber();  // lowest free number 1..255, 0 when all are taken
// 0 on success, 2 when the file cannot be opened.
int openFile(const std::string& path, OpenMode mode, int fileNumber);
void closeFile(int fileNumber);
void closeAllFiles();
// A deleted file stays on disk only while the file may be rewritten next, so
// that a crash between the two never loses both; anything else carries the
// delete out. The waiting and polling services call this too.
void settleDeletes();
int fileExists(const std::string& path);                         // -1 or 0
int deleteFile(const std::string& path);                         // 0, or an error code
int renameFile(const std::string& from, const std::string& to);  // 0, or an error code

void writeInt(int fileNumber, std::int32_t value, ItemEnd end);
void writeUnsigned64(int fileNumber, std::uint64_t value, ItemEnd end);
void writeText(int fileNumber, std::string_view text, ItemEnd end);

void beginRead(int fileNumber);
std::string readText();
std::int32_t readInt();
std::int64_t readInt64();
double readDouble();
int atEndOfFile(int fileNumber);  // -1 or 0

namespace records {

// Fault injection for the tests: after `operations` more successful file
// operations (temp-file creation, write, fsync, rename, directory fsync) every
// further one fails as a full disk would. -1 (the default) switches it off.
void failFileOperationsAfter(int operations);

}  // namespace records

}  // namespace svc
