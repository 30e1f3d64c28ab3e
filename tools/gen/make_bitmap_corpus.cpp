// Writes the seed files of the bitmap fuzz target with the tests' BMP writer:
// every depth, each header form, both row orders, bit fields, run-length
// headers and a few files cut short. Built with the fuzz targets:
//   build-fuzz/make_bitmap_corpus [DIR]   (default fuzz/corpus/bitmap)
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "bitmap_writer.h"

namespace {

using bmptest::Layout;

// A full colour table for up to 8 bits, none above.
Layout layout(int width, int height, int bits) {
    Layout l;
    l.width = width;
    l.height = height;
    l.bits = bits;
    l.padByte = 0;
    if (bits <= 8) {
        for (std::uint32_t i = 0; i < 1u << bits; i++)
            l.palette.push_back((i * 37 & 0xFF) << 16 | (i * 91 & 0xFF) << 8 | (i * 13 & 0xFF));
    }
    return l;
}

Layout oldHeader(Layout l) {
    l.headerSize = 12;
    return l;
}

Layout topDown(Layout l) {
    l.topDown = true;
    return l;
}

Layout withHeader(Layout l, std::uint32_t size) {
    l.headerSize = size;
    return l;
}

Layout compressed(Layout l, std::uint32_t compression) {
    l.compression = compression;
    return l;
}

Layout bitFields(Layout l, std::uint32_t header, std::vector<std::uint32_t> masks) {
    l.headerSize = header;
    l.compression = 3;
    l.masksAfterHeader = header == 40;
    for (std::size_t i = 0; i < masks.size(); i++) l.masks[i] = masks[i];
    return l;
}

// Values that differ along each row and from row to row as stored.
std::vector<std::uint8_t> write(const Layout& l, std::size_t cut = 0) {
    const std::uint32_t mask = l.bits < 32 ? (1u << l.bits) - 1 : 0xFFFFFFFFu;
    std::vector<std::uint8_t> file = bmptest::makeBitmap(l, [&](int x, int y) {
        const int stored = l.topDown ? y : l.height - 1 - y;
        return static_cast<std::uint32_t>(x * 5 + stored * 11) & mask;
    });
    file.resize(file.size() - cut);
    return file;
}

}  // namespace

int main(int argc, char** argv) {
    namespace fs = std::filesystem;
    const fs::path dir = argc > 1 ? fs::path(argv[1]) : fs::path(ROTANDOR_SOURCE_DIR) / "fuzz" / "corpus" / "bitmap";
    Layout shortTable = layout(4, 1, 8);
    shortTable.palette = {0x010203, 0x040506};
    const struct {
        const char* name;
        std::vector<std::uint8_t> bytes;
    } seeds[] = {
        {"rgb24_3x2.bmp", write(layout(3, 2, 24))},
        {"rgb24_5x3_topdown.bmp", write(topDown(layout(5, 3, 24)))},
        {"rgb24_old_4x2.bmp", write(oldHeader(layout(4, 2, 24)))},
        {"pal1_13x2.bmp", write(layout(13, 2, 1))},
        {"pal4_5x3.bmp", write(layout(5, 3, 4))},
        {"pal8_3x3.bmp", write(layout(3, 3, 8))},
        {"pal8_old_2x2.bmp", write(oldHeader(layout(2, 2, 8)))},
        {"pal4_old_3x2.bmp", write(oldHeader(layout(3, 2, 4)))},
        {"pal8_short_table.bmp", write(shortTable)},
        {"rgb16_555_3x2.bmp", write(layout(3, 2, 16))},
        {"rgb16_565_fields.bmp", write(bitFields(layout(3, 2, 16), 40, {0xF800, 0x7E0, 0x1F}))},
        {"rgb32_2x2.bmp", write(layout(2, 2, 32))},
        {"rgb32_v4_fields.bmp", write(bitFields(layout(2, 2, 32), 108, {0xFF, 0xFF00, 0xFF0000, 0xFF000000}))},
        {"rgb32_v5_topdown.bmp",
         write(topDown(bitFields(layout(2, 3, 32), 124, {0x3FF00000, 0xFFC00, 0x3FF, 0xC0000000})))},
        {"rle8_4x2.bmp", write(compressed(layout(4, 2, 8), 1))},
        {"rle4_4x2.bmp", write(compressed(layout(4, 2, 4), 2))},
        {"rgb24_cut.bmp", write(layout(4, 4, 24), 17)},
        {"header16_24.bmp", write(withHeader(layout(2, 2, 24), 16))},
        {"header20_24.bmp", write(withHeader(layout(2, 2, 24), 20))},
    };
    fs::create_directories(dir);
    for (const auto& seed : seeds) {
        std::ofstream out(dir / seed.name, std::ios::binary);
        out.write(reinterpret_cast<const char*>(seed.bytes.data()), static_cast<std::streamsize>(seed.bytes.size()));
        if (!out.flush()) {
            std::fprintf(stderr, "%s: cannot write\n", (dir / seed.name).string().c_str());
            return 1;
        }
    }
    return 0;
}
