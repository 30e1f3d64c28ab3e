// The BMP reader on buffers in memory: formats, row order, short and hostile
// files. The overlap with the image is tested through files in image_test.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "bitmap.h"
#include "bitmap_writer.h"

namespace {

using bmptest::Layout;
using bmptest::makeBitmap;

constexpr std::uint32_t untouched = 0x12345678;

struct Canvas {
    int width, height;
    std::vector<std::uint32_t> pixels;
    Canvas(int w, int h) : width(w), height(h), pixels(static_cast<std::size_t>(w) * h, untouched) {}
    std::uint32_t at(int x, int y) const { return pixels[static_cast<std::size_t>(y) * width + x]; }
    int decode(const std::vector<std::uint8_t>& file) {
        return svc::decodeBitmap(file.data(), file.size(), {pixels.data(), width, height, width});
    }
    bool allUntouched() const {
        return std::all_of(pixels.begin(), pixels.end(), [](std::uint32_t p) { return p == untouched; });
    }
};

std::uint32_t opaque(std::uint32_t rgb) {
    return 0xFF000000 | rgb;
}

Layout layout(int bits, int width, int height) {
    Layout l;
    l.bits = bits;
    l.width = width;
    l.height = height;
    if (bits <= 8) {
        for (int i = 0; i < (1 << bits); i++) l.palette.push_back((0x010203u * i ^ 0x804020) & 0xFFFFFF);
    }
    return l;
}

TEST(Bitmap, StoredPicturesArriveWhole) {
    std::vector<Layout> layouts;
    // 24-bit widths 1..5 need 3, 2, 1, 0 and 1 bytes of row padding.
    for (int width = 1; width <= 5; width++) {
        for (bool topDown : {false, true}) {
            layouts.push_back(layout(24, width, 4));
            layouts.back().topDown = topDown;
        }
    }
    layouts.push_back(layout(24, 6, 5));
    layouts.back().headerSize = 12;
    layouts.push_back(layout(24, 2, 2));
    layouts.back().planes = 0;
    // Colour tables; odd widths leave part of each row's last byte unused.
    for (std::uint32_t header : {40u, 12u}) {
        layouts.push_back(layout(1, 13, 3));
        layouts.push_back(layout(4, 5, 3));
        layouts.push_back(layout(8, 7, 3));
        for (int i = 0; i < 3; i++) layouts[layouts.size() - 1 - i].headerSize = header;
    }
    // Run-length headers are accepted and the data read as stored.
    layouts.push_back(layout(8, 4, 2));
    layouts.back().compression = 1;
    layouts.push_back(layout(4, 4, 2));
    layouts.back().compression = 2;

    for (const Layout& l : layouts) {
        const bool indexed = l.bits <= 8;
        auto stored = [&](int x, int y) {
            return indexed ? static_cast<std::uint32_t>((x * 3 + y * 5) % (1 << l.bits)) : bmptest::gradient(x, y);
        };
        Canvas c(l.width, l.height);
        const std::string name = std::to_string(l.bits) + " bits, " + std::to_string(l.width) + " wide, header " +
                                 std::to_string(l.headerSize) + (l.topDown ? ", top-down" : "") + ", compression " +
                                 std::to_string(l.compression);
        ASSERT_EQ(c.decode(makeBitmap(l, stored)), 0) << name;
        for (int y = 0; y < l.height; y++) {
            for (int x = 0; x < l.width; x++) {
                const std::uint32_t want = indexed ? l.palette[stored(x, y)] : stored(x, y);
                ASSERT_EQ(c.at(x, y), opaque(want)) << name << " at " << x << "," << y;
            }
        }
    }
}

TEST(Bitmap, MaskedChannels) {
    struct Case {
        const char* name;
        int bits;
        std::uint32_t headerSize, compression;
        bool masksAfterHeader;
        std::uint32_t masks[4];
        std::uint32_t stored, want;
    };
    const Case cases[] = {
        // 16 bits without bit fields: 5-5-5, no alpha; full channels reach 255.
        {"555 white", 16, 40, 0, false, {}, 0x7FFF, 0x00FFFFFF},
        {"555 red", 16, 40, 0, false, {}, 0x7C00, 0x00FF0000},
        {"555 mid blue", 16, 40, 0, false, {}, 0x0010, 0x00000084},
        {"555 ignores top bit", 16, 40, 0, false, {}, 0x8000, 0x00000000},
        // Bit fields behind a 40-byte header: 5-6-5.
        {"565 green", 16, 40, 3, true, {0xF800, 0x07E0, 0x001F}, 0x07E0, 0x0000FF00},
        {"565 mid green", 16, 40, 3, true, {0xF800, 0x07E0, 0x001F}, 0x0400, 0x00008200},
        {"565 red blue", 16, 40, 3, true, {0xF800, 0x07E0, 0x001F}, 0xF81F, 0x00FF00FF},
        {"565 after a 56-byte header", 16, 56, 3, true, {0xF800, 0x07E0, 0x001F}, 0x07E0, 0x0000FF00},
        {"zero masks", 16, 40, 3, true, {0, 0, 0}, 0xFFFF, 0x00000000},
        // 32 bits: the defaults keep the word as it is, alpha included.
        {"32 default", 32, 40, 0, false, {}, 0x12345678, 0x12345678},
        {"32 masks in a 108 header", 32, 108, 3, false, {0xFF, 0xFF00, 0xFF0000, 0xFF000000}, 0x80112233, 0x80332211},
        {"32 zero alpha mask", 32, 108, 3, false, {0xFF0000, 0xFF00, 0xFF, 0}, 0xAB112233, 0x00112233},
        {"32 ten-bit channels keep their top bits, 2-bit alpha repeats",
         32,
         108,
         3,
         false,
         {0x3FF00000, 0x000FFC00, 0x000003FF, 0xC0000000},
         0x40000000 | 0x200u << 20 | 0x1FFu << 10 | 0x004,
         0x55807F01},
        {"32 masks after 40 header keep default alpha",
         32,
         40,
         3,
         true,
         {0xFF, 0xFF00, 0xFF0000},
         0x7F102030,
         0x7F302010},
        // Masks in a 108 header count only with bit fields.
        {"16 masks ignored without bit fields", 16, 108, 0, false, {0xF800, 0x07E0, 0x001F, 0}, 0x7C00, 0x00FF0000},
    };
    for (const Case& k : cases) {
        Layout l = layout(k.bits, 3, 2);
        l.headerSize = k.headerSize;
        l.compression = k.compression;
        l.masksAfterHeader = k.masksAfterHeader;
        std::copy(std::begin(k.masks), std::end(k.masks), l.masks);
        Canvas c(3, 2);
        ASSERT_EQ(c.decode(makeBitmap(l, [&](int x, int y) { return x == 1 && y == 1 ? k.stored : 0; })), 0) << k.name;
        EXPECT_EQ(c.at(1, 1), k.want) << k.name;
    }
}

TEST(Bitmap, CutShortKeepsTheRowsRead) {
    // Six stored rows of 4 pixels (12 bytes, no padding).
    struct Case {
        const char* name;
        bool topDown;
        std::size_t cut;          // bytes taken off the end
        std::uint32_t height;     // stored in the header instead, when not 0
        int result, rowsArrived;  // counted from the first stored row
    };
    const Case cases[] = {
        {"bottom-up, ends in the fourth row", false, 2 * 12 + 5, 0, 3, 3},
        {"top-down, ends in the fourth row", true, 2 * 12 + 5, 0, 3, 3},
        {"top-down claims 2^31 rows", true, 0, 0x80000000, 3, 6},
        {"bottom-up claims 2^31-1 rows", false, 0, 0x7FFFFFFF, 3, 0},
    };
    for (const Case& k : cases) {
        Layout l = layout(24, 4, 6);
        l.topDown = k.topDown;
        std::vector<std::uint8_t> file = makeBitmap(l, bmptest::gradient);
        file.resize(file.size() - k.cut);
        if (k.height != 0) bmptest::put32(file, 22, k.height);
        Canvas c(4, 7);
        EXPECT_EQ(c.decode(file), k.result) << k.name;
        for (int y = 0; y < 7; y++) {
            const bool arrived = k.topDown ? y < k.rowsArrived : y < 6 && y >= 6 - k.rowsArrived;
            for (int x = 0; x < 4; x++) {
                ASSERT_EQ(c.at(x, y), arrived ? opaque(bmptest::gradient(x, y)) : untouched)
                    << k.name << " at " << x << "," << y;
            }
        }
    }

    // The last row needs its pixels, not its padding.
    Layout l = layout(24, 3, 2);
    std::vector<std::uint8_t> file = makeBitmap(l, bmptest::gradient);
    file.resize(file.size() - 3);
    Canvas c(3, 2);
    EXPECT_EQ(c.decode(file), 0);
    EXPECT_EQ(c.at(2, 0), opaque(bmptest::gradient(2, 0)));
}

TEST(Bitmap, IndexesPastAShortColourTableAreOpaqueBlack) {
    // Two table entries stored; the table then runs on into the pixel data
    // and the file ends, so indexes 3 and up have no entry at all.
    Layout l = layout(8, 4, 1);
    l.palette = {0x112233, 0x445566};
    const std::uint32_t stored[] = {0, 1, 200, 255};
    std::vector<std::uint8_t> file = makeBitmap(l, [&](int x, int) { return stored[x]; });
    ASSERT_EQ(file.size(), 54u + 8 + 4);
    Canvas c(4, 1);
    ASSERT_EQ(c.decode(file), 0);
    EXPECT_EQ(c.at(0, 0), 0xFF112233u);
    EXPECT_EQ(c.at(1, 0), 0xFF445566u);
    EXPECT_EQ(c.at(2, 0), 0xFF000000u);
    EXPECT_EQ(c.at(3, 0), 0xFF000000u);
}

TEST(Bitmap, HostileOrForeignFilesLeaveTheTargetAlone) {
    const std::vector<std::uint8_t> good = makeBitmap(layout(24, 2, 2), bmptest::gradient);
    auto patched = [&](std::size_t at, std::uint32_t value, int width = 4) {
        std::vector<std::uint8_t> f = good;
        for (int i = 0; i < width; i++) f.at(at + i) = static_cast<std::uint8_t>(value >> (8 * i));
        return f;
    };
    auto cut = [&](std::size_t size) { return std::vector<std::uint8_t>(good.begin(), good.begin() + size); };
    Layout masked = layout(16, 2, 2);
    masked.compression = 3;
    masked.masksAfterHeader = true;
    std::vector<std::uint8_t> masksCut = makeBitmap(masked, bmptest::gradient);
    masksCut.resize(14 + 40 + 8);
    auto topDownWith = [](std::uint32_t compression) {
        Layout l = layout(24, 2, 2);
        l.topDown = true;
        l.compression = compression;
        return makeBitmap(l, bmptest::gradient);
    };

    struct Case {
        const char* name;
        std::vector<std::uint8_t> file;
    };
    const Case cases[] = {
        {"empty", {}},
        {"one B", {'B'}},
        {"raw format FD", {0xFD, 0, 0, 0}},
        {"raw format FE", {0xFE, 0, 0, 0}},
        {"other first byte", {'P', 'N', 'G'}},
        {"BA signature", patched(1, 'A', 1)},
        {"file header only", cut(14)},
        {"info header cut", cut(30)},
        {"header size 13", patched(14, 13)},
        {"header size 0", patched(14, 0)},
        {"header size past the file", patched(14, 0xFFFFFFFF)},
        {"planes 2", patched(26, 2, 2)},
        {"width 0", patched(18, 0)},
        {"width negative", patched(18, 0xFFFFFFFE)},
        {"height 0", patched(22, 0)},
        {"compression 4", patched(30, 4)},
        {"compression huge", patched(30, 0x80000003)},
        {"top-down run-length 8", topDownWith(1)},
        {"top-down run-length 4", topDownWith(2)},
        {"bits 0", patched(28, 0, 2)},
        {"bits 2", patched(28, 2, 2)},
        {"bits 64", patched(28, 64, 2)},
        {"pixel offset past the file", patched(10, static_cast<std::uint32_t>(good.size()) + 1)},
        {"pixel offset 4 GiB", patched(10, 0xFFFFFFFF)},
        {"width 2^31-1 (stride past 32 bits)", patched(18, 0x7FFFFFFF)},
        {"bit-field masks cut off", masksCut},
    };
    for (const Case& k : cases) {
        Canvas c(3, 3);
        EXPECT_EQ(c.decode(k.file), 3) << k.name;
        EXPECT_TRUE(c.allUntouched()) << k.name;
    }
}

}  // namespace
