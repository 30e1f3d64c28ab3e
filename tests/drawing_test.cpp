// Lines, circles and flood fills, checked against their geometry and against
// a plain breadth-first fill.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <deque>
#include <random>
#include <set>
#include <utility>
#include <vector>

#include "sandbox.h"
#include "screen.h"

namespace {

constexpr std::uint32_t black = 0xFF000000;
constexpr std::uint32_t ink = 0x55FFFF;
using Point = std::pair<int, int>;

class DrawingTest : public ::testing::Test {
protected:
    sandbox::Sandbox box{false};
};

std::vector<std::uint32_t> snapshot() {
    const std::uint32_t* p = svc::screenPixels();
    return {p, p + static_cast<std::size_t>(svc::screenWidth()) * svc::screenHeight()};
}

std::set<Point> pixelsOf(std::uint32_t colour) {
    std::set<Point> found;
    const std::uint32_t* p = svc::screenPixels();
    for (int y = 0; y < svc::screenHeight(); y++)
        for (int x = 0; x < svc::screenWidth(); x++)
            if (p[static_cast<std::size_t>(y) * svc::screenWidth() + x] == colour) found.insert({x, y});
    return found;
}

TEST_F(DrawingTest, StraightLinesSetEveryPixelBetweenTheEnds) {
    svc::setScreenMode(640, 420, 32);
    struct Case {
        int x1, y1, x2, y2;
        int count;
    };
    for (Case c : {Case{10, 10, 10, 20, 11}, Case{10, 20, 10, 10, 11}, Case{20, 5, 10, 5, 11}, Case{7, 7, 7, 7, 1},
                   Case{-100, 5, 1000, 5, 640}, Case{5, -100, 5, 1000, 420}, Case{-5, -1, 700, -1, 0},
                   Case{640, 0, 640, 419, 0}, Case{-2147483647, 3, 2147483647, 3, 640}}) {
        svc::setView(0, 0, 639, 419, black, std::nullopt);
        svc::drawLine(c.x1, c.y1, c.x2, c.y2, ink);
        EXPECT_EQ(pixelsOf(ink).size(), static_cast<std::size_t>(c.count))
            << c.x1 << "," << c.y1 << " " << c.x2 << "," << c.y2;
    }
}

// Any other line: both ends, one pixel per step of the longer axis, and every
// pixel within half a pixel of the true line along the shorter axis.
TEST_F(DrawingTest, SlantedLinesFollowTheTrueLine) {
    svc::setScreenMode(640, 420, 32);
    struct Case {
        int x1, y1, x2, y2;
    };
    for (Case c : {Case{0, 0, 9, 3}, Case{9, 3, 0, 0}, Case{0, 0, 3, 9}, Case{50, 80, 10, 70}, Case{5, 5, 25, 25},
                   Case{100, 10, 90, 200}, Case{300, 300, 301, 100}}) {
        SCOPED_TRACE(std::to_string(c.x1) + "," + std::to_string(c.y1) + " " + std::to_string(c.x2) + "," +
                     std::to_string(c.y2));
        svc::setView(0, 0, 639, 419, black, std::nullopt);
        svc::drawLine(c.x1, c.y1, c.x2, c.y2, ink);
        const std::set<Point> got = pixelsOf(ink);
        const int dx = std::abs(c.x2 - c.x1), dy = std::abs(c.y2 - c.y1);
        EXPECT_EQ(got.size(), static_cast<std::size_t>(std::max(dx, dy) + 1));
        EXPECT_TRUE(got.count({c.x1, c.y1}));
        EXPECT_TRUE(got.count({c.x2, c.y2}));
        std::set<int> steps;
        for (auto [x, y] : got) {
            if (dx >= dy) {
                steps.insert(x);
                const double ideal = c.y1 + static_cast<double>(c.y2 - c.y1) * (x - c.x1) / (c.x2 - c.x1);
                EXPECT_LE(std::abs(y - ideal), 0.5 + 1e-9) << x << "," << y;
            } else {
                steps.insert(y);
                const double ideal = c.x1 + static_cast<double>(c.x2 - c.x1) * (y - c.y1) / (c.y2 - c.y1);
                EXPECT_LE(std::abs(x - ideal), 0.5 + 1e-9) << x << "," << y;
            }
        }
        EXPECT_EQ(steps.size(), got.size());
    }
}

TEST_F(DrawingTest, LinesAreClippedToTheView) {
    svc::setScreenMode(640, 420, 32);
    svc::setView(100, 100, 199, 199, std::nullopt, std::nullopt);
    svc::drawLine(-500, -500, 500, 500, 0x111111);  // the view's diagonal
    svc::drawLine(-50, 50, 150, 50, ink);           // view coordinates: row 150 of the screen
    svc::drawLine(-10, 0, 0, -10, 0x222222);  // wholly outside
    svc::setView(0, 0, 639, 419, std::nullopt, std::nullopt);
    const std::set<Point> row = pixelsOf(ink);
    EXPECT_EQ(row.size(), 100u);
    EXPECT_EQ(*row.begin(), Point(100, 150));
    EXPECT_EQ(*row.rbegin(), Point(199, 150));
    std::set<Point> diagonal = pixelsOf(0x111111);
    diagonal.insert({150, 150});  // crossed by the second line
    EXPECT_EQ(diagonal.size(), 100u);
    for (auto [x, y] : diagonal) EXPECT_EQ(x, y);
    EXPECT_TRUE(pixelsOf(0x222222).empty());
}

std::set<Point> radiusFive(int cx, int cy) {
    std::set<Point> s;
    auto both = [&](int dx, int dy) {
        for (int sy : {-1, 1})
            for (int sx : {-1, 1}) s.insert({cx + sx * dx, cy + sy * dy});
    };
    for (int dx : {0, 1}) both(dx, 5);
    for (int dx : {2, 3}) both(dx, 4);
    both(4, 3);
    both(4, 2);
    both(5, 1);
    both(5, 0);
    return s;
}

TEST_F(DrawingTest, CircleOfRadiusFive) {
    svc::setScreenMode(640, 420, 32);
    svc::drawCircle(100, 60, 5, ink);
    EXPECT_EQ(radiusFive(100, 60).size(), 28u);
    EXPECT_EQ(pixelsOf(ink), radiusFive(100, 60));
}

TEST_F(DrawingTest, CircleKeepsToTheView) {
    svc::setScreenMode(640, 420, 32);
    for (int r : {0, -1, -5}) svc::drawCircle(50, 50, r, ink);
    EXPECT_TRUE(pixelsOf(ink).empty());

    svc::setView(10, 10, 109, 109, std::nullopt, std::nullopt);
    svc::drawCircle(2, 1, 5, ink);  // screen centre (12, 11), cut by the view's corner
    svc::drawCircle(-100, -100, 5, ink);
    svc::drawCircle(60, 60, 1 << 30, ink);  // far larger than the screen: misses the view
    svc::setView(0, 0, 639, 419, std::nullopt, std::nullopt);
    std::set<Point> expected;
    for (auto [x, y] : radiusFive(12, 11))
        if (x >= 10 && y >= 10) expected.insert({x, y});
    EXPECT_EQ(pixelsOf(ink), expected);
}

TEST_F(DrawingTest, BallFillsEightyNinePixels) {
    svc::setScreenMode(930, 647, 32);
    svc::setView(0, 0, 929, 646, 0xAAAAAA, std::nullopt);
    for (std::uint32_t c : {0xFFFFFFu, 0xAAAAAAu}) {
        svc::drawCircle(400, 300, 5, c);
        svc::floodFill(400, 300, c, c);
        std::set<Point> ball = pixelsOf(c);
        if (c == 0xAAAAAA) {
            EXPECT_EQ(ball.size(), 930u * 647u);  // painted over again: the table is whole
            continue;
        }
        EXPECT_EQ(ball.size(), 89u);
        for (auto [x, y] : ball) EXPECT_LE((x - 400) * (x - 400) + (y - 300) * (y - 300), 30) << x << "," << y;
    }
}

TEST_F(DrawingTest, FillWithNothingToDo) {
    svc::setScreenMode(640, 420, 32);
    svc::drawCircle(100, 100, 5, ink);
    const auto before = snapshot();
    svc::floodFill(105, 100, 0x123456, ink);  // on the border
    svc::floodFill(-1, 100, 0x123456, ink);   // outside the view
    svc::floodFill(640, 100, 0x123456, ink);
    svc::setView(0, 0, 50, 50, std::nullopt, std::nullopt);
    svc::floodFill(100, 100, 0x123456, ink);
    EXPECT_EQ(snapshot(), before);
}

TEST_F(DrawingTest, FillRegionAlreadyHoldingTheFillColour) {
    svc::setScreenMode(640, 420, 32);
    svc::setView(20, 20, 29, 29, black, ink);  // a 10 x 10 room walled in ink
    svc::setView(0, 0, 639, 419, std::nullopt, std::nullopt);
    for (int i = 0; i < 10; i++) svc::drawPixel(20 + i, 20 + (i * 7) % 10, 0x00AA00);
    svc::drawPixel(35, 35, 0x00AA00);
    svc::floodFill(25, 25, 0x00AA00, ink);
    EXPECT_EQ(pixelsOf(0x00AA00).size(), 101u);
    EXPECT_EQ(pixelsOf(ink).size(), 44u);
}

TEST_F(DrawingTest, FillStopsAtTheView) {
    svc::setScreenMode(640, 420, 32);
    svc::setView(100, 100, 149, 129, std::nullopt, std::nullopt);
    svc::floodFill(10, 10, ink, 0x999999);
    svc::setView(0, 0, 639, 419, std::nullopt, std::nullopt);
    const std::set<Point> filled = pixelsOf(ink);
    EXPECT_EQ(filled.size(), 50u * 30u);
    EXPECT_EQ(*filled.begin(), Point(100, 100));
    EXPECT_EQ(*filled.rbegin(), Point(149, 129));
}

// The filled region is the 4-connected set of non-border pixels around the
// start, within the view, whatever the shape: compare with a plain search.
TEST_F(DrawingTest, FillMatchesABreadthFirstSearchOnMazes) {
    constexpr int w = 64, h = 40;
    constexpr std::uint32_t wall = 0x0000AA, fill = 0xAA0000;
    svc::setScreenMode(w, h, 32);
    std::mt19937 gen(20261207);
    for (int round = 0; round < 40; round++) {
        SCOPED_TRACE(round);
        const int density = 25 + round % 4 * 10;  // percent of wall pixels
        for (int y = 0; y < h; y++)
            for (int x = 0; x < w; x++)
                svc::drawPixel(x, y, static_cast<int>(gen() % 100) < density ? wall : (gen() % 5 == 0 ? fill : black));
        const int vx = static_cast<int>(gen() % 8), vy = static_cast<int>(gen() % 8);
        svc::setView(vx, vy, w - 1 - static_cast<int>(gen() % 8), h - 1 - static_cast<int>(gen() % 8),
                     std::nullopt, std::nullopt);
        const svc::View v = svc::currentView();
        const int sx = static_cast<int>(gen() % v.width), sy = static_cast<int>(gen() % v.height);

        std::vector<std::uint32_t> expected = snapshot();
        auto at = [&](int x, int y) -> std::uint32_t& { return expected[static_cast<std::size_t>(y) * w + x]; };
        if (at(v.left + sx, v.top + sy) != wall) {
            std::vector<char> seen(expected.size(), 0);
            std::deque<Point> todo{{v.left + sx, v.top + sy}};
            seen[static_cast<std::size_t>(v.top + sy) * w + v.left + sx] = 1;
            std::vector<Point> region;
            while (!todo.empty()) {
                auto [x, y] = todo.front();
                todo.pop_front();
                region.push_back({x, y});
                for (auto [nx, ny] : {Point{x - 1, y}, Point{x + 1, y}, Point{x, y - 1}, Point{x, y + 1}}) {
                    if (nx < v.left || nx >= v.left + v.width || ny < v.top || ny >= v.top + v.height) continue;
                    char& s = seen[static_cast<std::size_t>(ny) * w + nx];
                    if (s || at(nx, ny) == wall) continue;
                    s = 1;
                    todo.push_back({nx, ny});
                }
            }
            for (auto [x, y] : region) at(x, y) = fill;
        }
        svc::floodFill(sx, sy, fill, wall);
        ASSERT_EQ(snapshot(), expected);
        svc::setView(0, 0, w - 1, h - 1, std::nullopt, std::nullopt);
    }
}

}  // namespace
