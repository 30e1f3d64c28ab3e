// Images on the scripted platform: creation, loading files into them, and
// copying them onto the screen through the view.
#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "bitmap_writer.h"
#include "drawing.h"
#include "image.h"
#include "sandbox.h"
#include "screen.h"
#include "scripted.h"

namespace {

namespace fs = std::filesystem;

constexpr std::uint32_t black = 0xFF000000;
constexpr std::uint32_t magenta = svc::keyColour;

struct ImageTest : ::testing::Test {
    sandbox::Sandbox box{false};
    std::vector<svc::Image*> images;

    void SetUp() override { ASSERT_EQ(svc::setScreenMode(930, 647, 32), 0); }
    void TearDown() override {
        for (svc::Image* image : images) svc::destroyImage(image);
    }

    svc::Image* create(int width, int height) {
        svc::Image* image = svc::createImage(width, height);
        if (image != nullptr) images.push_back(image);
        return image;
    }

    std::string writeBitmap(const std::string& name, const bmptest::Layout& layout) {
        const std::vector<std::uint8_t> bytes = bmptest::makeBitmap(layout, bmptest::gradient);
        return writeBytes(name, bytes);
    }

    std::string writeBytes(const std::string& name, const std::vector<std::uint8_t>& bytes) {
        const fs::path path = box.dir() / name;
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        return path.string();
    }

    // A 32 x 32 image holding the 24-bit gradient picture.
    svc::Image* gradientImage() {
        bmptest::Layout l;
        l.width = l.height = 32;
        svc::Image* image = create(32, 32);
        EXPECT_EQ(svc::loadBitmap(writeBitmap("gradient.bmp", l), image), 0);
        return image;
    }

    static std::uint32_t screenAt(int x, int y) { return svc::screenPixels()[y * svc::screenWidth() + x]; }
    static std::uint32_t shownAt(int x, int y) { return scripted::shownPixels()[y * svc::screenWidth() + x]; }
};

std::uint32_t opaque(std::uint32_t rgb) {
    return 0xFF000000 | rgb;
}

TEST_F(ImageTest, CreateRefusesWhatItCannotHold) {
    struct Case {
        int width, height;
    };
    for (const Case& k :
         {Case{0, 1}, Case{1, 0}, Case{-1, 5}, Case{5, -1}, Case{INT_MIN, INT_MIN}, Case{INT_MAX, INT_MAX},
          Case{INT_MAX, 1}, Case{1, INT_MAX}, Case{0x20000000, 1}, Case{65536, 65536}}) {
        EXPECT_EQ(svc::createImage(k.width, k.height), nullptr) << k.width << " x " << k.height;
    }
    svc::resetScreen();
    EXPECT_EQ(svc::createImage(32, 32), nullptr) << "no screen";
}

TEST_F(ImageTest, NewImageIsKeyColourAndDrawsAsAMagentaSquare) {
    for (int size : {1, 3, 32}) {  // pitches with and without row padding
        svc::Image* image = create(size, size);
        ASSERT_NE(image, nullptr);
        EXPECT_EQ(svc::imageWidth(image), size);
        EXPECT_EQ(svc::imageHeight(image), size);
        for (int y = 0; y < size; y++) {
            for (int x = 0; x < size; x++) ASSERT_EQ(svc::imagePixel(image, x, y), magenta);
        }
    }
    svc::drawImage(10, 480, images.back());
    svc::refreshWindow();
    for (int y = 479; y <= 512; y++) {
        for (int x = 9; x <= 42; x++) {
            const bool inside = x >= 10 && x <= 41 && y >= 480 && y <= 511;
            ASSERT_EQ(svc::readPixel(x, y), inside ? magenta : black) << x << "," << y;
            ASSERT_EQ(shownAt(x, y) & 0xFFFFFF, inside ? 0xFF00FFu : 0u) << x << "," << y;
        }
    }
}

TEST_F(ImageTest, LoadCopiesTheOverlapFromTheTopLeft) {
    struct Case {
        const char* name;
        int picture;
        bool topDown;
    };
    for (const Case& k : {Case{"larger", 40, false}, Case{"larger top-down", 40, true}, Case{"smaller", 20, false},
                          Case{"smaller top-down", 20, true}}) {
        bmptest::Layout l;
        l.width = l.height = k.picture;
        l.topDown = k.topDown;
        svc::Image* image = create(32, 32);
        ASSERT_EQ(svc::loadBitmap(writeBitmap("picture.bmp", l), image), 0) << k.name;
        for (int y = 0; y < 32; y++) {
            for (int x = 0; x < 32; x++) {
                const bool covered = x < k.picture && y < k.picture;
                ASSERT_EQ(svc::imagePixel(image, x, y), covered ? opaque(bmptest::gradient(x, y)) : magenta)
                    << k.name << " at " << x << "," << y;
            }
        }
    }
}

TEST_F(ImageTest, LoadResultsAndWhatStays) {
    bmptest::Layout l;
    l.width = l.height = 4;
    fs::create_directories(box.dir() / "pics");
    writeBitmap("pics/a.bmp", l);
    std::vector<std::uint8_t> cut = bmptest::makeBitmap(l, bmptest::gradient);
    cut.resize(cut.size() - 12);  // the stored rows are 12 bytes: the top row is missing
    struct Case {
        const char* name;
        std::string path;
        int result;
        int rowsLoaded;  // from the bottom
    };
    const Case cases[] = {
        {"relative with /", "pics/a.bmp", 0, 4},
        {"relative with \\", "pics\\a.bmp", 0, 4},
        {"absolute", (box.dir() / "pics" / "a.bmp").string(), 0, 4},
        {"missing", (box.dir() / "none.bmp").string(), 2, 0},
        {"directory", (box.dir() / "pics").string(), 2, 0},
        {"not a bitmap", writeBytes("text.bmp", {'h', 'e', 'l', 'l', 'o'}), 3, 0},
        {"empty", writeBytes("empty.bmp", {}), 3, 0},
        {"cut short", writeBytes("cut.bmp", cut), 3, 3},
    };
    for (const Case& k : cases) {
        svc::Image* image = create(4, 4);
        EXPECT_EQ(svc::loadBitmap(k.path, image), k.result) << k.name;
        for (int y = 0; y < 4; y++) {
            const bool loaded = y >= 4 - k.rowsLoaded;
            for (int x = 0; x < 4; x++) {
                ASSERT_EQ(svc::imagePixel(image, x, y), loaded ? opaque(bmptest::gradient(x, y)) : magenta)
                    << k.name << " at " << x << "," << y;
            }
        }
    }
    EXPECT_EQ(svc::loadBitmap("pics/a.bmp", nullptr), 3);
}

TEST_F(ImageTest, DrawClipsAtTheScreenEdges) {
    svc::Image* image = gradientImage();
    struct Case {
        int x, y;
    };
    // (900, 600) leaves 30 columns; negative corners cut the left and top.
    for (const Case& k : {Case{900, 600}, Case{-10, -20}, Case{920, 640}, Case{0, 0}}) {
        ASSERT_EQ(svc::setScreenMode(930, 647, 32), 0);
        svc::refreshWindow();  // the window is up to date; only the copied rows follow
        svc::drawImage(k.x, k.y, image);
        svc::refreshWindow();
        for (int y = std::max(0, k.y - 1); y <= std::min(646, k.y + 32); y++) {
            for (int x = std::max(0, k.x - 1); x <= std::min(929, k.x + 32); x++) {
                const bool inside = x >= k.x && x < k.x + 32 && y >= k.y && y < k.y + 32;
                const std::uint32_t want = inside ? opaque(bmptest::gradient(x - k.x, y - k.y)) : black;
                ASSERT_EQ(screenAt(x, y), want) << "drawn at " << k.x << "," << k.y << ": " << x << "," << y;
                ASSERT_EQ(shownAt(x, y) & 0xFFFFFF, want & 0xFFFFFF) << "shown at " << x << "," << y;
            }
        }
    }
}

TEST_F(ImageTest, DrawStaysInsideTheView) {
    svc::Image* image = gradientImage();
    // View x 100..119, y 200..209; image positions count from its corner.
    svc::setView(100, 200, 119, 209, std::nullopt, std::nullopt);
    svc::drawImage(-4, -3, image);
    for (int y = 195; y <= 215; y++) {
        for (int x = 95; x <= 125; x++) {
            const bool inView = x >= 100 && x <= 119 && y >= 200 && y <= 209;
            const std::uint32_t want = inView ? opaque(bmptest::gradient(x - 96, y - 197)) : black;
            ASSERT_EQ(screenAt(x, y), want) << x << "," << y;
        }
    }
}

TEST_F(ImageTest, DrawWithNothingToDrawChangesNothing) {
    svc::Image* image = gradientImage();
    const std::vector<std::uint32_t> before(svc::screenPixels(),
                                            svc::screenPixels() + svc::screenWidth() * svc::screenHeight());
    struct Case {
        int x, y;
        const svc::Image* image;
    };
    for (const Case& k :
         {Case{0, 0, nullptr}, Case{930, 0, image}, Case{0, 647, image}, Case{-32, 0, image}, Case{0, -32, image},
          Case{INT_MAX, INT_MAX, image}, Case{INT_MIN, INT_MIN, image}, Case{INT_MAX, 0, image}}) {
        svc::drawImage(k.x, k.y, k.image);
        ASSERT_TRUE(std::equal(before.begin(), before.end(), svc::screenPixels())) << k.x << "," << k.y;
    }
    svc::resetScreen();
    svc::drawImage(0, 0, image);  // no screen: nothing to do, and no crash
}

}  // namespace
