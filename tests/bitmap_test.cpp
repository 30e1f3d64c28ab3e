// The BMP reader on buffers in memory: formats, row order, overlap, short and
// hostile files.
#include <gtest/gtest.h>

#include <cstdint>
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
    svc::PixelTarget target() { return {pixels.data(), width, height, width}; }
    std::uint32_t at(int x, int y) const { return pixels[static_cast<std::size_t>(y) * width + x]; }
    int decode(const std::vector<std::uint8_t>& file) { return svc::decodeBitmap(file.data(), file.size(), target()); }
    bool allUntouched() const {
        for (std::uint32_t p : pixels) {
            if (p != untouched) return false;
        }
        return true;
    }
};

std::uint32_t opaque(std::uint32_t rgb) { return 0xFF000000 | rgb; }

TEST(Bitmap, TwentyFourBitRowOrderAndPadding) {
    // Widths 1..5 cover every amount of row padding (3, 2, 1, 0, 1 bytes).
    for (int width = 1; width <= 5; width++) {
        for (bool topDown : {false, true}) {
            Layout l;
            l.width = width;
            l.height = 4;
            l.topDown = topDown;
            Canvas c(width, 4);
            ASSERT_EQ(c.decode(makeBitmap(l, bmptest::gradient)), 0) << width << " " << topDown;
            for (int y = 0; y < 4; y++) {
                for (int x = 0; x < width; x++) {
                    ASSERT_EQ(c.at(x, y), opaque(bmptest::gradient(x, y)))
                        << "width " << width << " topDown " << topDown << " at " << x << "," << y;
                }
            }
        }
    }
}

TEST(Bitmap, OverlapCountsFromTheTopLeftCorner) {
    struct Case {
        int picture, canvas;
        bool topDown;
    };
    for (const Case& k : {Case{40, 32, false}, Case{40, 32, true}, Case{20, 32, false}, Case{20, 32, true}}) {
        Layout l;
        l.width = l.height = k.picture;
        l.topDown = k.topDown;
        Canvas c(k.canvas, k.canvas);
        ASSERT_EQ(c.decode(makeBitmap(l, bmptest::gradient)), 0);
        for (int y = 0; y < k.canvas; y++) {
            for (int x = 0; x < k.canvas; x++) {
                const std::uint32_t want =
                    x < k.picture && y < k.picture ? opaque(bmptest::gradient(x, y)) : untouched;
                ASSERT_EQ(c.at(x, y), want) << k.picture << " into " << k.canvas << " at " << x << "," << y;
            }
        }
    }
}

TEST(Bitmap, ColourTables) {
    struct Case {
        int bits, width;
        std::uint32_t headerSize;
    };
    // Odd widths leave part of the last byte of each row unused.
    for (const Case& k : {Case{1, 13, 40}, Case{4, 5, 40}, Case{8, 3, 40}, Case{1, 9, 12}, Case{4, 3, 12},
                          Case{8, 7, 12}}) {
        const int entries = 1 << k.bits;
        Layout l;
        l.bits = k.bits;
        l.width = k.width;
        l.height = 3;
        l.headerSize = k.headerSize;
        for (int i = 0; i < entries; i++) l.palette.push_back((0x010203u * static_cast<std::uint32_t>(i) ^ 0x804020) & 0xFFFFFF);
        auto index = [&](int x, int y) { return static_cast<std::uint32_t>((x * 3 + y * 5) % entries); };
        Canvas c(k.width, 3);
        ASSERT_EQ(c.decode(makeBitmap(l, index)), 0) << k.bits << " bits, header " << k.headerSize;
        for (int y = 0; y < 3; y++) {
            for (int x = 0; x < k.width; x++) {
                ASSERT_EQ(c.at(x, y), opaque(l.palette[index(x, y)]))
                    << k.bits << " bits, header " << k.headerSize << " at " << x << "," << y;
            }
        }
    }
}

TEST(Bitmap, OldHeaderTwentyFourBit) {
    Layout l;
    l.headerSize = 12;
    l.width = 6;
    l.height = 5;
    Canvas c(6, 5);
    ASSERT_EQ(c.decode(makeBitmap(l, bmptest::gradient)), 0);
    for (int y = 0; y < 5; y++) {
        for (int x = 0; x < 6; x++) ASSERT_EQ(c.at(x, y), opaque(bmptest::gradient(x, y)));
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
        {"zero masks", 16, 40, 3, true, {0, 0, 0}, 0xFFFF, 0x00000000},
        // 32 bits: the defaults keep the word as it is, alpha included.
        {"32 default", 32, 40, 0, false, {}, 0x12345678, 0x12345678},
        {"32 masks in a 108 header", 32, 108, 3, false, {0xFF, 0xFF00, 0xFF0000, 0xFF000000}, 0x80112233,
         0x80332211},
        {"32 zero alpha mask", 32, 108, 3, false, {0xFF0000, 0xFF00, 0xFF, 0}, 0xAB112233, 0x00112233},
        {"32 narrow alpha", 32, 108, 3, false, {0x3FF00000, 0x000FFC00, 0x000003FF, 0xC0000000}, 0xFFFFFFFF,
         0xFFFFFFFF},
        {"32 ten-bit channels keep their top bits", 32, 108, 3, false,
         {0x3FF00000, 0x000FFC00, 0x000003FF, 0xC0000000}, 0x40000000 | 0x200u << 20 | 0x1FFu << 10 | 0x004,
         0x55000000 | 0x80 << 16 | 0x7F << 8 | 0x01},
        {"32 masks after 40 header keep default alpha", 32, 40, 3, true, {0xFF, 0xFF00, 0xFF0000}, 0x7F102030,
         0x7F302010},
        // Masks in a 108 header count only with bit fields.
        {"16 masks ignored without bit fields", 16, 108, 0, false, {0xF800, 0x07E0, 0x001F, 0}, 0x7C00, 0x00FF0000},
    };
    for (const Case& k : cases) {
        Layout l;
        l.bits = k.bits;
        l.width = 3;
        l.height = 2;
        l.headerSize = k.headerSize;
        l.compression = k.compression;
        l.masksAfterHeader = k.masksAfterHeader;
        for (int i = 0; i < 4; i++) l.masks[i] = k.masks[i];
        Canvas c(3, 2);
        ASSERT_EQ(c.decode(makeBitmap(l, [&](int x, int y) { return x == 1 && y == 1 ? k.stored : 0; })), 0)
            << k.name;
        EXPECT_EQ(c.at(1, 1), k.want) << k.name;
    }
}

TEST(Bitmap, CutShortKeepsTheRowsRead) {
    // Six rows of 4 pixels (12 bytes, no padding); the file ends inside the
    // fourth stored row, so three stored rows arrive.
    for (bool topDown : {false, true}) {
        Layout l;
        l.width = 4;
        l.height = 6;
        l.topDown = topDown;
        std::vector<std::uint8_t> file = makeBitmap(l, bmptest::gradient);
        file.resize(file.size() - 2 * 12 - 5);
        Canvas c(4, 6);
        EXPECT_EQ(c.decode(file), 3) << topDown;
        for (int y = 0; y < 6; y++) {
            const bool arrived = topDown ? y < 3 : y >= 3;
            for (int x = 0; x < 4; x++) {
                ASSERT_EQ(c.at(x, y), arrived ? opaque(bmptest::gradient(x, y)) : untouched)
                    << "topDown " << topDown << " at " << x << "," << y;
            }
        }
    }
}

TEST(Bitmap, LastRowNeedsNoPadding) {
    // A row of 3 pixels is 9 bytes plus 3 of padding; a file that ends right
    // behind the last pixel is complete.
    Layout l;
    l.width = 3;
    l.height = 2;
    std::vector<std::uint8_t> file = makeBitmap(l, bmptest::gradient);
    file.resize(file.size() - 3);
    Canvas c(3, 2);
    EXPECT_EQ(c.decode(file), 0);
    EXPECT_EQ(c.at(2, 0), opaque(bmptest::gradient(2, 0)));
}

TEST(Bitmap, ShortColourTableGivesOpaqueBlack) {
    // An 8-bit picture with two table entries stored: the table runs on into
    // the pixel data and the file ends, so indexes past what the file holds
    // have no entry and come out opaque black.
    Layout l;
    l.bits = 8;
    l.width = 4;
    l.height = 1;
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

TEST(Bitmap, RunLengthDataIsReadAsStored) {
    for (std::uint32_t compression : {1u, 2u}) {
        Layout l;
        l.bits = compression == 1 ? 8 : 4;
        l.compression = compression;
        l.width = 4;
        l.height = 2;
        for (int i = 0; i < (1 << l.bits); i++) l.palette.push_back(0x000100u * static_cast<std::uint32_t>(i));
        auto index = [](int x, int y) { return static_cast<std::uint32_t>(x + 4 * y); };
        Canvas c(4, 2);
        ASSERT_EQ(c.decode(makeBitmap(l, index)), 0) << compression;
        EXPECT_EQ(c.at(3, 1), 0xFF000700u) << compression;
    }
}

TEST(Bitmap, HostileOrForeignFilesLeaveTheTargetAlone) {
    Layout small;
    small.width = 2;
    small.height = 2;
    const std::vector<std::uint8_t> good = makeBitmap(small, bmptest::gradient);
    auto patched = [&](std::size_t at, std::uint32_t value, int width = 4) {
        std::vector<std::uint8_t> f = good;
        for (int i = 0; i < width; i++) f.at(at + i) = static_cast<std::uint8_t>(value >> (8 * i));
        return f;
    };
    auto cut = [&](std::size_t size) { return std::vector<std::uint8_t>(good.begin(), good.begin() + size); };
    Layout masked = small;
    masked.bits = 16;
    masked.compression = 3;
    masked.masksAfterHeader = true;
    std::vector<std::uint8_t> masksCut = makeBitmap(masked, bmptest::gradient);
    masksCut.resize(14 + 40 + 8);

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
        {"bits 0", patched(28, 0, 2)},
        {"bits 2", patched(28, 2, 2)},
        {"bits 64", patched(28, 64, 2)},
        {"pixel offset past the file", patched(10, static_cast<std::uint32_t>(good.size()) + 1)},
        {"pixel offset 4 GiB", patched(10, 0xFFFFFFFF)},
        {"width 2^31-1 (stride past 32 bits)", patched(18, 0x7FFFFFFF)},
        {"height 2^31-1", patched(22, 0x7FFFFFFF)},
        {"bit-field masks cut off", masksCut},
    };
    for (const Case& k : cases) {
        Canvas c(3, 3);
        EXPECT_EQ(c.decode(k.file), 3) << k.name;
        EXPECT_TRUE(c.allUntouched()) << k.name;
    }

    // Top-down rows are taken only when uncompressed or bit fields.
    for (std::uint32_t compression : {1u, 2u}) {
        Layout l = small;
        l.topDown = true;
        l.compression = compression;
        Canvas c(3, 3);
        EXPECT_EQ(c.decode(makeBitmap(l, bmptest::gradient)), 3) << compression;
        EXPECT_TRUE(c.allUntouched());
    }
}

TEST(Bitmap, HugeTopDownPictureFillsOnlyTheTarget) {
    // A claimed height of 2^31 rows with two rows stored: the rows that are
    // there arrive, the rest of the target keeps its pixels, and the result
    // says the file ended early.
    Layout l;
    l.width = 2;
    l.height = 2;
    l.topDown = true;
    std::vector<std::uint8_t> file = makeBitmap(l, bmptest::gradient);
    for (int i = 0; i < 4; i++) file[22 + i] = i == 3 ? 0x80 : 0;
    Canvas c(2, 3);
    EXPECT_EQ(c.decode(file), 3);
    EXPECT_EQ(c.at(1, 1), opaque(bmptest::gradient(1, 1)));
    EXPECT_EQ(c.at(0, 2), untouched);
}

TEST(Bitmap, PlanesZeroIsAccepted) {
    Layout l;
    l.planes = 0;
    Canvas c(1, 1);
    EXPECT_EQ(c.decode(makeBitmap(l, [](int, int) { return 0xABCDEFu; })), 0);
    EXPECT_EQ(c.at(0, 0), 0xFFABCDEFu);
}

}  // namespace
