#pragma once
// Internals of the text-file records shared by their source files and their
// tests: the item reader over a byte source, the item conversions, the fault
// hook of the file layer, and where the player's directory lies.
#include <cstdint>
#include <string>
#include <string_view>

#include "platform.h"

namespace svc::records {

// Bytes to read items from: an open file (refilled in chunks) or a text held
// in memory. At most one byte of look-ahead is ever needed.
struct Source {
    platform::FileHandle fd = platform::noFile;  // noFile: only `data` is read
    std::string data;      // the current chunk, or the whole text
    std::size_t pos = 0;   // next byte in `data`
    bool drained = false;  // fd has given its last byte
    std::uint64_t consumed = 0;
};

Source memorySource(std::string_view text);

enum class ReadKind { text, number };

struct Item {
    std::string bytes;     // quotes removed; "D"/"d" of a decimal read as "E"/"e"
    bool decimal = false;  // held ".", "E", "e", "D" or "d" before any "&"
};

constexpr std::size_t textItemLimit = 4096;
constexpr std::size_t numberItemLimit = 67;

// Takes the next item and the separator behind it.
Item readItem(Source& source, ReadKind kind);

// Items of numeric reads. Out of range: decimal numbers saturate at the
// type's limits; &H, &O and &B numbers keep their low 32 bits.
std::int32_t itemToInt32(const Item& item);
std::int64_t itemToInt64(const Item& item);
double itemToDouble(const Item& item);

// Fault injection for the tests: after `operations` more successful file
// operations (temp-file creation, write, fsync, rename, directory fsync) every
// further one fails as a full disk would. -1 (the default) switches it off.
void failFileOperationsAfter(int operations);
// True when the operation about to be done must fail.
bool injectedFailure();

// Whether a game path lies in "c:\Windows", which stands for the player directory.
bool inPlayerDirectory(const std::string& gamePath);

}  // namespace svc::records
