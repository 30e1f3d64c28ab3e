// Fuzzes the item reader and the number conversions. The first byte picks the
// read kind of each item; the rest is read once from memory and once through
// the real file API, and both must give the same items. Every item must take
// at least one byte and stay within its limit. The last twelve bytes also go
// to dateSerial as a damaged date would.
#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "calendar.h"
#include "item_reader.h"
#include "number_text.h"
#include "records.h"

namespace {

using svc::records::Item;
using svc::records::ReadKind;

const std::string& scratchFile() {
    static const std::string path = [] {
        char name[] = "/dev/shm/records-fuzz-XXXXXX";
        const int fd = mkstemp(name);  // tmpfs: a file per input on disk would be slow
        if (fd < 0) std::abort();
        // Gone from the folder at once, kept through the open descriptor: the
        // fuzzer ends without running any clean-up of ours.
        unlink(name);
        return "/proc/self/fd/" + std::to_string(fd);
    }();
    return path;
}

ReadKind kindOf(unsigned pattern, std::size_t i) {
    return (pattern >> (i % 8)) & 1 ? ReadKind::number : ReadKind::text;
}

bool sameDouble(double a, double b) {
    return a == b || (std::isnan(a) && std::isnan(b));
}

void checkCalendar(const std::uint8_t* data, std::size_t size) {
    std::int32_t ymd[3];
    std::memcpy(ymd, data + size - sizeof ymd, sizeof ymd);
    const std::int64_t serial = svc::dateSerial(ymd[0], ymd[1], ymd[2]);
    if (ymd[2] < std::numeric_limits<std::int32_t>::max() &&
        svc::dateSerial(ymd[0], ymd[1], ymd[2] + 1) != serial + 1) {
        std::abort();
    }
    const int weekday = svc::weekdayOf(static_cast<double>(serial));
    const int hour = svc::hourOf(static_cast<double>(serial) + ymd[1] / 86400.0);
    if (weekday < 1 || weekday > 7 || hour < 0 || hour > 23) std::abort();
    svc::daysBetween(static_cast<double>(serial), svc::textToNumber(std::string(data, data + size)));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const unsigned pattern = data[0];
    const std::string bytes(reinterpret_cast<const char*>(data) + 1, size - 1);

    svc::records::Source memory = svc::records::memorySource(bytes);
    std::vector<Item> items;
    while (memory.consumed < bytes.size()) {
        const ReadKind kind = kindOf(pattern, items.size());
        const std::uint64_t before = memory.consumed;
        Item item = svc::records::readItem(memory, kind);
        const std::size_t limit = kind == ReadKind::text ? svc::records::textItemLimit : svc::records::numberItemLimit;
        if (memory.consumed <= before || item.bytes.size() > limit) std::abort();
        if (kind == ReadKind::number && !item.decimal && item.bytes.size() < 10) {
            const std::int32_t small = svc::records::itemToInt32(item);
            if (svc::records::itemToInt64(item) != small || svc::records::itemToDouble(item) != small) std::abort();
        }
        items.push_back(std::move(item));
    }

    FILE* f = std::fopen(scratchFile().c_str(), "wb");
    if (f == nullptr) std::abort();
    if (!bytes.empty() && std::fwrite(bytes.data(), 1, bytes.size(), f) != bytes.size()) std::abort();
    std::fclose(f);
    if (svc::openFile(scratchFile(), svc::OpenMode::input, 1) != 0) std::abort();
    svc::beginRead(1);
    for (std::size_t i = 0; i < items.size(); i++) {
        if (svc::atEndOfFile(1)) std::abort();
        if (kindOf(pattern, i) == ReadKind::text) {
            if (svc::readText() != items[i].bytes) std::abort();
        } else if (!sameDouble(svc::readDouble(), svc::records::itemToDouble(items[i]))) {
            std::abort();
        }
    }
    if (!svc::atEndOfFile(1) || svc::readInt() != 0) std::abort();
    svc::closeFile(1);

    svc::lineToInt(bytes);
    svc::textToNumber(bytes);
    if (size >= 13) checkCalendar(data, size);
    return 0;
}
