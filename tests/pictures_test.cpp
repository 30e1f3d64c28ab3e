// The shipped pictures and table layout, read and drawn with the game's own
// services: the layout must match the table picture, and the wheel must give
// the ball a track it can be erased from without a trace. The generator that
// draws them (tools/gen/make_pictures.py) keeps its own copy of the game's
// numbers; they must be the game's.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <iterator>
#include <numbers>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "drawing.h"
#include "image.h"
#include "panels.h"
#include "records.h"
#include "sandbox.h"
#include "screen.h"
#include "settlement.h"
#include "table_fixture.h"

namespace {

#include "my_icon.inc"

namespace fs = std::filesystem;

struct Region {
    int xl, xr, yt, yb;
    double cx() const { return (xl + xr) / 2.0; }
    double cy() const { return (yt + yb) / 2.0; }
    bool overlaps(const Region& o) const { return xl <= o.xr && o.xl <= xr && yt <= o.yb && o.yt <= yb; }
};

constexpr int fieldCount = 87;
constexpr std::uint32_t rgb = 0x00FFFFFF;
constexpr std::uint32_t white = 0xFFFFFF, grey = 0xAAAAAA;

// What covers the table picture on the screen: the wheel picture from x 335,
// the five panels, the chips (each chip's own region may cover it).
constexpr Region panels[] = {
    {27, 296, 420, 439}, {27, 296, 450, 469}, {27, 138, 580, 630}, {27, 296, 545, 564}, {139, 296, 483, 502}};
constexpr Region chipPictures[] = {{10, 41, 480, 511}, {50, 81, 480, 511}, {90, 121, 480, 511}};
constexpr int wheelLeft = 335;

const std::set<int> redNumbers = {1, 3, 5, 7, 9, 12, 14, 16, 18, 19, 21, 23, 25, 27, 30, 32, 34, 36};
constexpr int wheelOrder[37] = {0,  26, 3, 35, 12, 28, 7,  29, 18, 22, 9,  31, 14, 20, 1, 33, 16, 24, 5,
                                10, 23, 8, 30, 11, 36, 13, 27, 6,  34, 17, 25, 2,  21, 4, 19, 15, 32};

enum class Hue { red, black, green, other };

Hue hueOf(std::uint32_t pixel) {
    const int r = (pixel >> 16) & 0xFF, g = (pixel >> 8) & 0xFF, b = pixel & 0xFF;
    if (r < 64 && g < 64 && b < 64) return Hue::black;
    if (r >= 128 && g < r / 2 && b < r / 2) return Hue::red;
    if (g >= 96 && g > r + 32 && g > b + 32) return Hue::green;
    return Hue::other;
}

Hue hueOfNumber(int n) {
    if (n == 0) return Hue::green;
    return redNumbers.count(n) ? Hue::red : Hue::black;
}

std::vector<Region> readLayout(std::vector<double>* marks = nullptr) {
    std::vector<Region> regions;
    const int file = svc::freeFileNumber();
    if (svc::openFile("Button.txt", svc::OpenMode::input, file) != 0) return regions;
    while (!svc::atEndOfFile(file) && regions.size() < 1000) {
        svc::beginRead(file);
        Region r;
        r.xl = svc::readInt();
        r.xr = svc::readInt();
        r.yt = svc::readInt();
        r.yb = svc::readInt();
        const double mark = svc::readDouble();
        if (marks) marks->push_back(mark);
        regions.push_back(r);
    }
    svc::closeFile(file);
    return regions;
}

struct LayoutTest : ::testing::Test {
    sandbox::Sandbox box{true};
    std::vector<double> marks;
    std::vector<Region> regions = readLayout(&marks);
};

TEST_F(LayoutTest, HoldsOneRecordPerField) {
    ASSERT_EQ(regions.size(), static_cast<std::size_t>(fieldCount));
    for (double mark : marks) EXPECT_EQ(mark, 0.0);
    // Each record is one line "xl,xr,yt,yb,0" ended by CR LF.
    const std::string text = sandbox::readFile("Button.txt");
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), fieldCount);
    EXPECT_EQ(text.find("\n\r"), std::string::npos);
    for (std::size_t i = text.find('\n'); i != std::string::npos; i = text.find('\n', i + 1))
        EXPECT_EQ(text[i - 1], '\r');
}

TEST_F(LayoutTest, RegionsAreVisibleDisjointAndLargeEnough) {
    ASSERT_EQ(regions.size(), static_cast<std::size_t>(fieldCount));
    for (int i = 0; i < fieldCount; i++) {
        const Region& r = regions[i];
        SCOPED_TRACE("field " + std::to_string(i));
        EXPECT_GE(r.xr - r.xl + 1, 8);
        EXPECT_GE(r.yb - r.yt + 1, 8);
        EXPECT_GE(r.xl, 1);
        EXPECT_LT(r.xr, wheelLeft);
        EXPECT_GE(r.yt, 1);
        EXPECT_LE(r.yb, 520);
        for (const Region& p : panels) EXPECT_FALSE(r.overlaps(p));
        for (int c = 0; c < 3; c++) {
            if (i != 84 + c) {
                EXPECT_FALSE(r.overlaps(chipPictures[c])) << "chip " << c;
            }
        }
        for (int j = i + 1; j < fieldCount; j++) EXPECT_FALSE(r.overlaps(regions[j])) << "overlaps field " << j;
    }
    for (int c = 0; c < 3; c++) {
        const Region& r = regions[84 + c];
        const Region& want = chipPictures[c];
        EXPECT_TRUE(r.xl == want.xl && r.xr == want.xr && r.yt == want.yt && r.yb == want.yb) << "chip " << c;
    }
}

// The numbers a betting field wins on, as the game settles it: the
// generator places each field's region where they meet.
std::vector<int> numbersOf(int field) {
    std::vector<int> v;
    for (int n = 0; n <= 36; n++) {
        if (game::fieldWins(field, n)) v.push_back(n);
    }
    return v;
}

TEST_F(LayoutTest, FieldsLieWhereTheirNumbersMeet) {
    ASSERT_EQ(regions.size(), static_cast<std::size_t>(fieldCount));
    Region grid{10000, -1, 10000, -1};
    for (int n = 1; n <= 36; n++) {
        grid.xl = std::min(grid.xl, regions[n].xl);
        grid.xr = std::max(grid.xr, regions[n].xr);
        grid.yt = std::min(grid.yt, regions[n].yt);
        grid.yb = std::max(grid.yb, regions[n].yb);
    }
    for (int field = 43; field <= 83; field++) {
        SCOPED_TRACE("field " + std::to_string(field));
        const Region& r = regions[field];
        double minX = 1e9, maxX = -1e9, minY = 1e9, maxY = -1e9;
        for (int n : numbersOf(field)) {
            minX = std::min(minX, regions[n].cx());
            maxX = std::max(maxX, regions[n].cx());
            minY = std::min(minY, regions[n].cy());
            maxY = std::max(maxY, regions[n].cy());
        }
        if (field <= 45) {  // dozens: beside their four rows
            EXPECT_LT(r.xr, grid.xl);
            EXPECT_TRUE(r.cy() > minY && r.cy() < maxY);
        } else if (field <= 48) {  // columns: under their column
            EXPECT_GT(r.yt, grid.yb);
            EXPECT_TRUE(r.cx() >= minX && r.cx() <= maxX);
        } else if (field <= 72) {  // trios and corners: between their numbers
            EXPECT_TRUE(r.cx() > minX && r.cx() < maxX);
            EXPECT_TRUE(r.cy() > minY && r.cy() < maxY);
        } else {  // six-lines: on the grid's edge between their two rows
            EXPECT_TRUE(r.cx() < grid.xl || r.cx() > grid.xr);
            EXPECT_TRUE(r.cy() > minY && r.cy() < maxY);
        }
    }
    for (int field = 37; field <= 42; field++)
        EXPECT_TRUE(regions[field].xr < grid.xl || regions[field].xl > grid.xr) << field;
    // the zero above the grid
    EXPECT_LT(regions[0].yb, grid.yt);
}

// The pictures loaded as the game loads them.
struct PictureTest : ::testing::Test {
    sandbox::Sandbox box{true};
    std::vector<svc::Image*> images;

    void SetUp() override { ASSERT_EQ(svc::setScreenMode(930, 647, 32), 0); }
    void TearDown() override {
        for (svc::Image* image : images) svc::destroyImage(image);
    }
    svc::Image* load(const std::string& name, int width, int height) {
        svc::Image* image = svc::createImage(width, height);
        images.push_back(image);
        EXPECT_EQ(svc::loadBitmap((sandbox::dataDir() / name).string(), image), 0) << name;
        return image;
    }
    static std::uint32_t screen(int x, int y) { return svc::readPixel(x, y) & rgb; }
};

TEST_F(PictureTest, PicturesAreUncompressed24BitOfTheirSize) {
    const struct {
        const char* name;
        int width, height;
    } pictures[] = {{"Tisch.roulette", 612, 520},
                    {"RK.roulette", 593, 645},
                    {"Chip 25.roulette", 32, 32},
                    {"Chip 50.roulette", 32, 32},
                    {"Chip 100.roulette", 32, 32}};
    for (const auto& p : pictures) {
        SCOPED_TRACE(p.name);
        const std::string bytes = sandbox::readFile(sandbox::dataDir() / p.name);
        ASSERT_GE(bytes.size(), 54u);
        auto word = [&](int at) {
            std::uint32_t v;
            std::memcpy(&v, bytes.data() + at, 4);
            return v;
        };
        EXPECT_EQ(bytes.substr(0, 2), "BM");
        EXPECT_EQ(word(18), static_cast<std::uint32_t>(p.width));
        EXPECT_EQ(word(22), static_cast<std::uint32_t>(p.height));
        EXPECT_EQ(static_cast<unsigned char>(bytes[28]), 24);  // bits per pixel
        EXPECT_EQ(word(30), 0u);                               // no compression
        const std::size_t stride = (p.width * 3 + 3) / 4 * 4;
        EXPECT_EQ(bytes.size(), word(10) + stride * p.height);
        // the picture covers its whole image: no key colour is left
        svc::Image* image = load(p.name, p.width, p.height);
        int keyLeft = 0;
        for (int y = 0; y < p.height; y++)
            for (int x = 0; x < p.width; x++) keyLeft += svc::imagePixel(image, x, y) == svc::keyColour;
        EXPECT_EQ(keyLeft, 0);
    }
}

TEST_F(PictureTest, NumberRegionsShowTheirNumbersColour) {
    const std::vector<Region> regions = readLayout();
    ASSERT_EQ(regions.size(), static_cast<std::size_t>(fieldCount));
    svc::Image* table = load("Tisch.roulette", 612, 520);
    for (int n = 0; n <= 36; n++) {
        const Region& r = regions[n];
        int same = 0, all = 0, otherNumberColour = 0;
        for (int y = r.yt; y <= r.yb; y++) {
            for (int x = r.xl; x <= r.xr; x++) {
                const Hue h = hueOf(svc::imagePixel(table, x - 1, y - 1));
                all++;
                same += h == hueOfNumber(n);
                otherNumberColour += h != hueOfNumber(n) && h != Hue::other;
            }
        }
        EXPECT_GT(2 * same, all) << "number " << n;
        EXPECT_EQ(otherNumberColour, 0) << "number " << n;
    }
}

TEST_F(PictureTest, ChipRingsShowOnPlainFelt) {
    svc::Image* table = load("Tisch.roulette", 612, 520);
    const char* chips[] = {"Chip 25.roulette", "Chip 50.roulette", "Chip 100.roulette"};
    svc::drawImage(1, 1, table);
    for (int c = 0; c < 3; c++) {
        svc::Image* chip = load(chips[c], 32, 32);
        // outside the round chip the picture shows the felt it lies on
        const Region& at = chipPictures[c];
        for (auto [x, y] : {std::pair{0, 0}, {31, 0}, {0, 31}, {31, 31}})
            EXPECT_EQ(svc::imagePixel(chip, x, y) & rgb, screen(at.xl + x, at.yt + y)) << chips[c];
        svc::drawImage(at.xl, at.yt, chip);
    }
    std::vector<std::uint32_t> before(930 * 647);
    for (int y = 0; y < 647; y++)
        for (int x = 0; x < 930; x++) before[y * 930 + x] = svc::readPixel(x, y);
    // Mark where the rings fall with a colour no picture holds.
    for (int c = 0; c < 3; c++) svc::drawCircle(26 + 40 * c, 496, 18, 7);
    std::set<std::uint32_t> under;
    int ringPixels = 0;
    for (int y = 0; y < 647; y++) {
        for (int x = 0; x < 930; x++) {
            if (svc::readPixel(x, y) != 7) continue;
            ringPixels++;
            under.insert(before[y * 930 + x] & rgb);
        }
    }
    EXPECT_GE(ringPixels, 3 * 90);
    ASSERT_EQ(under.size(), 1u) << "the rings cross more than one colour";
    const std::uint32_t felt = *under.begin();
    EXPECT_NE(felt, 0xFFFFFFu);
    EXPECT_NE(felt, 0u);
    const int brightest = std::max({(felt >> 16) & 0xFF, (felt >> 8) & 0xFF, felt & 0xFF});
    EXPECT_TRUE(brightest >= 64 && brightest <= 192) << std::hex << felt;
}

struct WheelTest : PictureTest {
    svc::Image* wheel = nullptr;
    void SetUp() override {
        PictureTest::SetUp();
        wheel = load("RK.roulette", 593, 645);
    }
    static std::pair<int, int> ball(int pocket) {
        const double a = pocket * 2 * std::numbers::pi / 37;
        return {static_cast<int>(std::lround(641 - 184 * std::sin(a))),
                static_cast<int>(std::lround(319 - 184 * std::cos(a)))};
    }
};

TEST_F(WheelTest, TrackAroundTheOrbitIsGrey) {
    int wrong = 0, checked = 0;
    for (int y = 0; y < 645; y++) {
        for (int x = 0; x < 593; x++) {
            if (std::abs(std::hypot(x - 306, y - 318) - 184) > 8) continue;
            checked++;
            wrong += (svc::imagePixel(wheel, x, y) & rgb) != grey;
        }
    }
    EXPECT_GT(checked, 2 * std::numbers::pi * 184 * 16 * 0.9);
    EXPECT_EQ(wrong, 0);
}

TEST_F(WheelTest, BallDrawnAndErasedAtEveryPocketLeavesThePicture) {
    svc::drawImage(335, 1, wheel);
    std::vector<std::uint32_t> before(930 * 647);
    for (int y = 0; y < 647; y++)
        for (int x = 0; x < 930; x++) before[y * 930 + x] = screen(x, y);
    for (int p = 0; p < 37; p++) {
        const auto [x, y] = ball(p);
        svc::drawCircle(x, y, 5, white);
        svc::floodFill(x, y, white, white);
        ASSERT_EQ(svc::readPixel(x, y), white) << "pocket " << p;
        ASSERT_EQ(svc::readPixel(x + 4, y), white) << "pocket " << p;
        svc::drawCircle(x, y, 5, grey);
        svc::floodFill(x, y, grey, grey);
    }
    int changed = 0;
    for (int y = 0; y < 647; y++)
        for (int x = 0; x < 930; x++) changed += screen(x, y) != before[y * 930 + x];
    EXPECT_EQ(changed, 0);
}

TEST_F(WheelTest, BallRestsBesideItsPocketsNumber) {
    // Just inside the track, at the ball's angle, lies the pocket in its colour.
    for (int p = 0; p < 37; p++) {
        int same = 0, all = 0;
        for (int r = 150; r <= 172; r++) {
            for (int k = -3; k <= 3; k++) {
                const double a = (p + k / 10.0) * 2 * std::numbers::pi / 37;
                const int x = static_cast<int>(std::lround(306 - r * std::sin(a)));
                const int y = static_cast<int>(std::lround(318 - r * std::cos(a)));
                all++;
                same += hueOf(svc::imagePixel(wheel, x, y)) == hueOfNumber(wheelOrder[p]);
            }
        }
        EXPECT_GT(2 * same, all) << "pocket " << p << " number " << wheelOrder[p];
    }
}

TEST(IconTest, RowsAreThirtyTwoPaletteIndexes) {
    for (std::uint32_t colour : myIconPalette) EXPECT_LE(colour, 0xFFFFFFu);
    std::set<char> used;
    for (const char* row : myIconRows) {
        ASSERT_EQ(std::strlen(row), 32u);
        for (const char* c = row; *c; c++) {
            EXPECT_TRUE(std::isxdigit(static_cast<unsigned char>(*c))) << row;
            used.insert(*c);
        }
    }
    EXPECT_GE(used.size(), 6u);  // a picture, not a plain square
}

// The integers of a top-level constant of the picture generator in the order
// written: `NAME = ...` up to where its brackets close, or NAME's own part of
// `A, NAME = x, y`.
std::vector<long> generatorConstant(const std::string& name) {
    std::istringstream lines(sandbox::readFile(fs::path(ROTANDOR_SOURCE_DIR) / "tools" / "gen" / "make_pictures.py"));
    std::string line;
    while (std::getline(lines, line)) {
        const std::size_t eq = line.find(" = ");
        if (eq == std::string::npos || line.empty() || !std::isupper(static_cast<unsigned char>(line[0]))) continue;
        std::vector<std::string> names;
        std::istringstream left(line.substr(0, eq));
        for (std::string n; std::getline(left >> std::ws, n, ',');) names.push_back(n.substr(0, n.find(' ')));
        const auto named = std::find(names.begin(), names.end(), name);
        if (named == names.end()) continue;
        // The right-hand side without comments, split at its top-level commas.
        std::vector<std::string> parts(1);
        int depth = 0;
        std::string rest = line.substr(eq + 3);
        do {
            for (char c : rest.substr(0, rest.find('#'))) {
                if (c == '(' || c == '[' || c == '{') depth++;
                if (c == ')' || c == ']' || c == '}') depth--;
                if (c == ',' && depth == 0) {
                    parts.emplace_back();
                } else {
                    parts.back() += c;
                }
            }
            parts.back() += ' ';
        } while (depth > 0 && std::getline(lines, rest));
        std::string text;
        if (names.size() == 1) {
            for (const std::string& p : parts) text += p + ',';
        } else {
            text = parts.at(named - names.begin());
        }
        std::vector<long> ints;
        static const std::regex number(R"(\b(0[xX][0-9A-Fa-f]+|[0-9]+)\b)");
        for (auto m = std::sregex_iterator(text.begin(), text.end(), number); m != std::sregex_iterator(); ++m)
            ints.push_back(std::stol(m->str(), nullptr, 0));
        return ints;
    }
    ADD_FAILURE() << name << " not found in make_pictures.py";
    return {};
}

// The table as the game opens it, to compare with what the generator assumes.
struct GeneratorTest : tablefix::TableTest {};

TEST_F(GeneratorTest, KeepsTheGamesNumbers) {
    std::vector<long> reds, stakes, chipCentres;
    for (int n = 0; n <= 36; n++) {
        if (game::fieldWins(39, n)) reds.push_back(n);
    }
    const int ringY = game::chipCentreY;
    playForMoney(1000);
    for (int c = 0; c < 3; c++) {
        game::selectChip(84 + c);
        stakes.push_back(game::stakeBet.stake);
        chipCentres.insert(chipCentres.end(), {game::chipCentreX[c], ringY});
    }
    // The chosen chip's white ring, measured along the row of its centre.
    int ring = 0;
    const tablefix::Frame f = tablefix::buffer();
    while (ring < 40 && f.at(game::chipCentreX[2] + ring, ringY) != tablefix::white) ring++;
    const std::vector<long> grey = {tablefix::grey >> 16, tablefix::grey >> 8 & 0xFF, tablefix::grey & 0xFF};
    // The ball's radius and the track's colour are the ones the wheel tests see.
    const long ballRadius = std::size(tablefix::discHalfWidth) / 2;
    const std::vector<std::pair<std::string, std::vector<long>>> same = {
        {"WHEEL_ORDER", {std::begin(game::wheelOrder), std::end(game::wheelOrder)}},
        {"REDS", reds},
        {"ORBIT_CENTRE", {game::orbitX, game::orbitY}},
        {"ORBIT_RADIUS", {game::orbitRadius}},
        {"BALL_RADIUS", {ballRadius}},
        {"TRACK", grey},
        {"SCREEN_W", {svc::screenWidth()}},
        {"SCREEN_H", {svc::screenHeight()}},
        {"CHIP_RING", {ring}},
    };
    for (const auto& [name, value] : same) EXPECT_EQ(generatorConstant(name), value) << name;
    // Each chip's value and picture corner; its ring is centred 16 pixels in.
    std::vector<long> chips;
    for (long v : generatorConstant("CHIPS")) chips.push_back(v);
    ASSERT_EQ(chips.size(), 9u);
    for (int c = 0; c < 3; c++) {
        EXPECT_EQ(chips[3 * c], stakes[c]) << "chip " << c;
        EXPECT_EQ(chips[3 * c + 1] + 16, chipCentres[2 * c]) << "chip " << c;
        EXPECT_EQ(chips[3 * c + 2] + 16, chipCentres[2 * c + 1]) << "chip " << c;
    }
}

// Where the generator puts the pictures and leaves room for the panels is
// where the game draws them: its screen, rebuilt from those numbers, is the
// game's but for the texts inside the panels.
TEST_F(GeneratorTest, ScreenIsWhereTheGeneratorPutsThePictures) {
    const tablefix::Frame opened = tablefix::buffer();
    const std::vector<long> screenW = generatorConstant("SCREEN_W"), screenH = generatorConstant("SCREEN_H");
    ASSERT_TRUE(screenW.size() == 1 && screenH.size() == 1);
    ASSERT_EQ(svc::setScreenMode(static_cast<int>(screenW[0]), static_cast<int>(screenH[0]), 32), 0);
    std::vector<std::pair<std::string, std::vector<long>>> pictures = {
        {"Tisch.roulette", generatorConstant("TABLE_AT")}, {"RK.roulette", generatorConstant("WHEEL_AT")}};
    const std::vector<long> tableSize = generatorConstant("TABLE_SIZE"), wheelSize = generatorConstant("WHEEL_SIZE");
    pictures[0].second.insert(pictures[0].second.end(), tableSize.begin(), tableSize.end());
    pictures[1].second.insert(pictures[1].second.end(), wheelSize.begin(), wheelSize.end());
    const std::vector<long> chips = generatorConstant("CHIPS"), chipSize = generatorConstant("CHIP_SIZE");
    ASSERT_TRUE(chips.size() == 9 && chipSize.size() == 1);
    for (int c = 0; c < 3; c++) {
        pictures.push_back({"Chip " + std::to_string(chips[3 * c]) + ".roulette",
                            {chips[3 * c + 1], chips[3 * c + 2], chipSize[0], chipSize[0]}});
    }
    for (const auto& [file, at] : pictures) {
        ASSERT_EQ(at.size(), 4u) << file;
        svc::Image* image = svc::createImage(at[2], at[3]);
        EXPECT_EQ(svc::loadBitmap((sandbox::dataDir() / file).string(), image), 0) << file;
        svc::drawImage(at[0], at[1], image);
        svc::destroyImage(image);
    }
    const std::vector<long> corners = generatorConstant("PANELS");
    ASSERT_EQ(corners.size(), 20u);
    for (std::size_t i = 0; i < corners.size(); i += 4)
        game::drawPanel(game::Rect{static_cast<int>(corners[i]), static_cast<int>(corners[i + 1]),
                                   static_cast<int>(corners[i + 2]), static_cast<int>(corners[i + 3])});
    const tablefix::Frame rebuilt = tablefix::buffer();
    ASSERT_EQ(rebuilt.width, opened.width);
    ASSERT_EQ(rebuilt.height, opened.height);
    int differ = 0;
    for (int y = 0; y < opened.height; y++) {
        for (int x = 0; x < opened.width; x++) {
            bool insidePanel = false;
            for (std::size_t i = 0; i < corners.size(); i += 4) {
                insidePanel = insidePanel || (x >= corners[i] + 2 && x <= corners[i + 2] - 2 &&
                                              y >= corners[i + 1] + 2 && y <= corners[i + 3] - 2);
            }
            if (!insidePanel && rebuilt.at(x, y) != opened.at(x, y) && differ++ < 5)
                ADD_FAILURE() << "differs at " << x << "," << y;
        }
    }
    EXPECT_EQ(differ, 0);
}

}  // namespace
