#pragma once
// The item reader of the text-file records: items and the separators behind
// them taken from an open file or a text in memory.
#include <cstdint>
#include <string>
#include <string_view>

#include "platform.h"

namespace svc::records {

// Bytes to read items from: an open file (refilled in chunks) or a text held
// in memory. At most one byte of look-ahead is ever needed.
struct Source {
    platform::FileHandle fd = platform::noFile;  // noFile: only `data` is read
    std::string data;                            // the current chunk, or the whole text
    std::size_t pos = 0;                         // next byte in `data`
    bool drained = false;                        // fd has given its last byte
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

}  // namespace svc::records
