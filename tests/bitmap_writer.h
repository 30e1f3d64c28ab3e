#pragma once
// The project's one BMP writer: for the tests, the benchmarks, the fuzz
// corpus's seed files (tools/gen/make_bitmap_corpus.cpp) and the game's own
// pictures (tools/gen/write_bmp24.cpp). Any header form, depth, row order and
// padding, with the stored pixel values given by a function of the picture
// position (row 0 at the top).
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace bmptest {

struct Layout {
    int width = 1;
    int height = 1;  // picture rows; always positive here
    int bits = 24;
    bool topDown = false;           // stores a negative height
    std::uint32_t headerSize = 40;  // 12, 40, 108, ...
    std::uint32_t compression = 0;
    std::uint16_t planes = 1;
    std::vector<std::uint32_t> palette;     // 0xRRGGBB, written as given
    bool masksAfterHeader = false;          // three masks behind a short header
    std::uint32_t masks[4] = {0, 0, 0, 0};  // red, green, blue, alpha
    std::uint8_t padByte = 0xEE;            // row padding, deliberately not 0
    std::uint32_t pixelsPerMetre = 0;       // both resolution fields
};

// Stored value of a pixel: a table index (1-8 bits), the 16- or 32-bit word,
// or 0xRRGGBB for 24 bits.
using PixelFn = std::function<std::uint32_t(int x, int y)>;

inline void put16(std::vector<std::uint8_t>& out, std::size_t at, std::uint32_t v) {
    out[at] = static_cast<std::uint8_t>(v);
    out[at + 1] = static_cast<std::uint8_t>(v >> 8);
}

inline void put32(std::vector<std::uint8_t>& out, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; i++) out[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
}

inline std::vector<std::uint8_t> makeBitmap(const Layout& l, const PixelFn& pixel) {
    const bool old = l.headerSize == 12;
    const std::size_t entry = old ? 3 : 4;
    const std::size_t tableStart = 14 + l.headerSize + (l.masksAfterHeader ? 12 : 0);
    const std::size_t offset = tableStart + l.palette.size() * entry;
    const std::size_t rowBytes = (static_cast<std::size_t>(l.width) * l.bits + 7) / 8;
    const std::size_t stride = (static_cast<std::size_t>(l.width) * l.bits + 31) / 32 * 4;
    std::vector<std::uint8_t> out(offset + stride * l.height, 0);

    out[0] = 'B';
    out[1] = 'M';
    put32(out, 2, static_cast<std::uint32_t>(out.size()));
    put32(out, 10, static_cast<std::uint32_t>(offset));
    put32(out, 14, l.headerSize);
    if (old) {
        put16(out, 18, l.width);
        put16(out, 20, l.height);
        put16(out, 22, l.planes);
        put16(out, 24, l.bits);
    } else {
        put32(out, 18, static_cast<std::uint32_t>(l.width));
        put32(out, 22, static_cast<std::uint32_t>(l.topDown ? -l.height : l.height));
        put16(out, 26, l.planes);
        put16(out, 28, l.bits);
        if (l.headerSize >= 20) put32(out, 30, l.compression);
        if (l.headerSize >= 24) put32(out, 34, static_cast<std::uint32_t>(stride * l.height));
        if (l.headerSize >= 32) {
            put32(out, 38, l.pixelsPerMetre);
            put32(out, 42, l.pixelsPerMetre);
        }
        if (l.headerSize >= 108) {
            for (int i = 0; i < 4; i++) put32(out, 54 + 4 * i, l.masks[i]);
        }
    }
    if (l.masksAfterHeader) {
        for (int i = 0; i < 3; i++) put32(out, 14 + l.headerSize + 4 * i, l.masks[i]);
    }
    for (std::size_t i = 0; i < l.palette.size(); i++) {
        const std::uint32_t c = l.palette[i];
        out[tableStart + i * entry] = static_cast<std::uint8_t>(c);
        out[tableStart + i * entry + 1] = static_cast<std::uint8_t>(c >> 8);
        out[tableStart + i * entry + 2] = static_cast<std::uint8_t>(c >> 16);
    }

    for (int stored = 0; stored < l.height; stored++) {
        const int y = l.topDown ? stored : l.height - 1 - stored;
        const std::size_t row = offset + stride * stored;
        for (std::size_t b = rowBytes; b < stride; b++) out[row + b] = l.padByte;
        for (int x = 0; x < l.width; x++) {
            const std::uint32_t v = pixel(x, y);
            switch (l.bits) {
                case 1:
                case 4:
                case 8: {
                    const int perByte = 8 / l.bits;
                    const int shift = 8 - l.bits * (x % perByte + 1);
                    out[row + x / perByte] |= static_cast<std::uint8_t>(v << shift);
                    break;
                }
                case 16: put16(out, row + 2 * x, v); break;
                case 24:
                    out[row + 3 * x] = static_cast<std::uint8_t>(v);
                    out[row + 3 * x + 1] = static_cast<std::uint8_t>(v >> 8);
                    out[row + 3 * x + 2] = static_cast<std::uint8_t>(v >> 16);
                    break;
                case 32: put32(out, row + 4 * x, v); break;
            }
        }
    }
    return out;
}

// A picture whose every pixel differs from its neighbours: 0xRRGGBB from the
// position, so a misplaced row or column shows.
inline std::uint32_t gradient(int x, int y) {
    return static_cast<std::uint32_t>((x * 7 + 3) & 0xFF) << 16 | static_cast<std::uint32_t>((y * 5 + 1) & 0xFF) << 8 |
           static_cast<std::uint32_t>((x + y * 3) & 0xFF);
}

}  // namespace bmptest
