// BMP reader. Every offset and length that comes from the file is checked
// against the buffer in 64-bit arithmetic before it is used, and the work done
// is bounded by the target's size, never by the sizes the file claims.
#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>

#include "bitmap.h"

namespace svc {

namespace {

constexpr int notReadable = 3;
constexpr std::uint32_t opaque = 0xFF000000;

std::uint32_t u16(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8;
}

std::uint32_t u32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
           static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

// One colour channel: where its mask sits and how to stretch it to 8 bits.
struct Channel {
    std::uint32_t mask = 0;
    int shift = 0;
    int bits = 0;  // from the lowest to the highest bit of the mask

    explicit Channel(std::uint32_t m) : mask(m) {
        if (m == 0) return;
        shift = std::countr_zero(m);
        bits = 32 - std::countl_zero(m) - shift;
    }

    // Narrow channels repeat their bits so that the largest value becomes
    // 255; wide ones keep their top 8 bits.
    std::uint32_t take(std::uint32_t value) const {
        if (bits == 0) return 0;
        const std::uint32_t v = (value & mask) >> shift;
        if (bits >= 8) return v >> (bits - 8);
        std::uint32_t out = 0;
        for (int pos = 8 - bits; pos > -bits; pos -= bits) out |= pos >= 0 ? v << pos : v >> -pos;
        return out & 0xFF;
    }
};

struct Masks {
    Channel red, green, blue, alpha;
};

void convertIndexed(const std::uint8_t* src, int bits, int count, const std::uint32_t* table, std::uint32_t* out) {
    const int perByte = 8 / bits;
    const unsigned valueMask = (1u << bits) - 1;
    for (int x = 0; x < count; x++) {
        const unsigned byte = src[x / perByte];
        const int shift = 8 - bits * (x % perByte + 1);
        out[x] = table[(byte >> shift) & valueMask];
    }
}

void convertRow(const std::uint8_t* src, int bits, int count, const std::uint32_t* table, const Masks& masks,
                bool plain32, std::uint32_t* out) {
    switch (bits) {
        case 1:
        case 4:
        case 8: convertIndexed(src, bits, count, table, out); break;
        case 16:
            for (int x = 0; x < count; x++, src += 2) {
                const std::uint32_t v = u16(src);
                out[x] = masks.red.take(v) << 16 | masks.green.take(v) << 8 | masks.blue.take(v);
            }
            break;
        case 24:
            for (int x = 0; x < count; x++, src += 3) {
                out[x] = opaque | static_cast<std::uint32_t>(src[2]) << 16 | static_cast<std::uint32_t>(src[1]) << 8 |
                         src[0];
            }
            break;
        case 32:
            if (plain32) {
                for (int x = 0; x < count; x++, src += 4) out[x] = u32(src);
            } else {
                for (int x = 0; x < count; x++, src += 4) {
                    const std::uint32_t v = u32(src);
                    out[x] = masks.alpha.take(v) << 24 | masks.red.take(v) << 16 | masks.green.take(v) << 8 |
                             masks.blue.take(v);
                }
            }
            break;
    }
}

}  // namespace

int decodeBitmap(const std::uint8_t* data, std::size_t size, const PixelTarget& target) {
    if (data == nullptr || size < 1 || data[0] != 'B') return notReadable;
    if (size < 18 || data[1] != 'M') return notReadable;

    const std::uint64_t fileSize = size;
    const std::uint64_t pixelOffset = u32(data + 10);
    const std::uint64_t headerSize = u32(data + 14);
    if (14 + headerSize > fileSize) return notReadable;

    const std::uint8_t* h = data + 14;
    const bool oldForm = headerSize == 12;
    std::int64_t width = 0, height = 0;
    std::uint32_t planes = 0, bits = 0, compression = 0;
    if (oldForm) {
        width = u16(h + 4);
        height = u16(h + 6);
        planes = u16(h + 8);
        bits = u16(h + 10);
    } else if (headerSize >= 16) {
        width = static_cast<std::int32_t>(u32(h + 4));
        height = static_cast<std::int32_t>(u32(h + 8));
        planes = u16(h + 12);
        bits = u16(h + 14);
        if (headerSize >= 20) compression = u32(h + 16);
    } else {
        return notReadable;
    }

    if (planes > 1 || width <= 0 || height == 0 || compression > 3) return notReadable;
    if (height < 0 && compression != 0 && compression != 3) return notReadable;
    if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32) {
        return notReadable;
    }

    Masks masks{Channel(bits == 16 ? 0x7C00 : 0xFF0000), Channel(bits == 16 ? 0x3E0 : 0xFF00),
                Channel(bits == 16 ? 0x1F : 0xFF), Channel(bits == 32 ? opaque : 0)};
    if (compression == 3 && (bits == 16 || bits == 32)) {
        if (headerSize >= 108) {
            masks.red = Channel(u32(h + 40));
            masks.green = Channel(u32(h + 44));
            masks.blue = Channel(u32(h + 48));
            if (bits == 32) masks.alpha = Channel(u32(h + 52));
        } else {
            if (14 + headerSize + 12 > fileSize) return notReadable;
            const std::uint8_t* m = h + headerSize;
            masks.red = Channel(u32(m));
            masks.green = Channel(u32(m + 4));
            masks.blue = Channel(u32(m + 8));
        }
    }
    const bool plain32 = masks.red.mask == 0xFF0000 && masks.green.mask == 0xFF00 && masks.blue.mask == 0xFF &&
                         masks.alpha.mask == opaque;

    // The table has 2^bits entries. Entries the file does not hold stay
    // opaque black, so an index past a short table still has a defined colour.
    std::array<std::uint32_t, 256> table;
    table.fill(opaque);
    if (bits <= 8) {
        const std::uint64_t entrySize = oldForm ? 3 : 4;
        const std::uint64_t start = 14 + headerSize;
        const std::uint64_t held = (fileSize - start) / entrySize;
        const std::uint64_t entries = std::min<std::uint64_t>(held, std::uint64_t{1} << bits);
        for (std::uint64_t i = 0; i < entries; i++) {
            const std::uint8_t* e = data + start + i * entrySize;
            table[i] = opaque | static_cast<std::uint32_t>(e[2]) << 16 | static_cast<std::uint32_t>(e[1]) << 8 | e[0];
        }
    }

    const std::uint64_t rowBits = static_cast<std::uint64_t>(width) * bits;
    const std::uint64_t stride = (rowBits + 31) / 32 * 4;
    const std::uint64_t rowBytes = (rowBits + 7) / 8;
    const bool topDown = height < 0;
    const std::uint64_t rows = static_cast<std::uint64_t>(topDown ? -height : height);

    // Rows wholly inside the file, counted from the first stored row.
    std::uint64_t rowsHeld = 0;
    if (pixelOffset <= fileSize && fileSize - pixelOffset >= rowBytes) {
        rowsHeld = std::min(rows, (fileSize - pixelOffset - rowBytes) / stride + 1);
    }

    if (target.pixels != nullptr && target.width > 0 && target.height > 0) {
        const int copyWidth = static_cast<int>(std::min<std::int64_t>(width, target.width));
        const std::uint64_t copyHeight = std::min<std::uint64_t>(rows, target.height);
        for (std::uint64_t y = 0; y < copyHeight; y++) {
            const std::uint64_t stored = topDown ? y : rows - 1 - y;
            if (stored >= rowsHeld) continue;
            convertRow(data + pixelOffset + stored * stride, static_cast<int>(bits), copyWidth, table.data(), masks,
                       plain32, target.pixels + static_cast<std::ptrdiff_t>(y) * target.stride);
        }
    }
    return rowsHeld == rows ? 0 : notReadable;
}

}  // namespace svc
