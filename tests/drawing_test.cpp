// Lines, circles and flood fills, checked against their geometry and against
// a plain breadth-first fill.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <deque>
#include <random>
#include <set>
#include <utility>
#include <vector>

#include "drawing.h"
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
    const std::vector<std::uint32_t> s = snapshot();
    for (std::size_t i = 0; i < s.size(); i++)
        if (s[i] == colour)
            found.insert({static_cast<int>(i % svc::screenWidth()), static_cast<int>(i / svc::screenWidth())});
    return found;
}

// Both ends, one pixel per step along the longer axis, each within half a
// pixel of the true line; straight lines and clipped ones by count.
TEST_F(DrawingTest, LinesFollowTheTrueLineAndTheView) {
    svc::setScreenMode(640, 420, 32);
    struct Case {
        int x1, y1, x2, y2;
        int count;  // -1: a slanted line inside the screen
    } cases[] = {{10, 10, 10, 20, 11},
                 {20, 5, 10, 5, 11},
                 {7, 7, 7, 7, 1},
                 {-100, 5, 1000, 5, 640},
                 {5, -100, 5, 1000, 420},
                 {-5, -1, 700, -1, 0},
                 {-2147483647, 3, 2147483647, 3, 640},
                 {-500, -500, 1000, 1000, 420},
                 {0, 0, 9, 3, -1},
                 {9, 3, 0, 0, -1},
                 {0, 0, 3, 9, -1},
                 {50, 80, 10, 70, -1},
                 {100, 10, 90, 200, -1},
                 {300, 300, 301, 100, -1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.x1 << "," << c.y1 << " " << c.x2 << "," << c.y2);
        svc::setView(0, 0, 639, 419, black, std::nullopt);
        svc::drawLine(c.x1, c.y1, c.x2, c.y2, ink);
        const std::set<Point> got = pixelsOf(ink);
        if (c.count >= 0) {
            EXPECT_EQ(got.size(), static_cast<std::size_t>(c.count));
            continue;
        }
        const int dx = std::abs(c.x2 - c.x1), dy = std::abs(c.y2 - c.y1);
        EXPECT_EQ(got.size(), static_cast<std::size_t>(std::max(dx, dy) + 1));
        EXPECT_TRUE(got.count({c.x1, c.y1}) && got.count({c.x2, c.y2}));
        std::set<int> steps;
        for (auto [x, y] : got) {
            const bool alongX = dx >= dy;
            steps.insert(alongX ? x : y);
            const double off = alongX ? y - (c.y1 + double(c.y2 - c.y1) * (x - c.x1) / (c.x2 - c.x1))
                                      : x - (c.x1 + double(c.x2 - c.x1) * (y - c.y1) / (c.y2 - c.y1));
            EXPECT_LE(std::abs(off), 0.5 + 1e-9) << x << "," << y;
        }
        EXPECT_EQ(steps.size(), got.size());
    }

    svc::setView(0, 0, 639, 419, black, std::nullopt);
    svc::setView(100, 100, 199, 199, std::nullopt, std::nullopt);
    svc::drawLine(-50, 50, 150, 50, ink);  // view coordinates: screen row 150
    svc::drawLine(-10, 0, 0, -10, ink);    // wholly outside
    const std::set<Point> row = pixelsOf(ink);
    EXPECT_EQ(row.size(), 100u);
    EXPECT_EQ(*row.begin(), Point(100, 150));
    EXPECT_EQ(*row.rbegin(), Point(199, 150));
}

std::set<Point> radiusFive(int cx, int cy) {
    std::set<Point> s;
    const Point offsets[] = {{0, 5}, {1, 5}, {2, 4}, {3, 4}, {4, 3}, {4, 2}, {5, 1}, {5, 0}};
    for (auto [dx, dy] : offsets)
        for (int sy : {-1, 1})
            for (int sx : {-1, 1}) s.insert({cx + sx * dx, cy + sy * dy});
    return s;
}

TEST_F(DrawingTest, CircleOfRadiusFiveKeepsToTheView) {
    svc::setScreenMode(640, 420, 32);
    svc::drawCircle(100, 60, 5, ink);
    EXPECT_EQ(radiusFive(100, 60).size(), 28u);
    EXPECT_EQ(pixelsOf(ink), radiusFive(100, 60));

    svc::setView(0, 0, 639, 419, black, std::nullopt);
    for (int r : {0, -5}) svc::drawCircle(50, 50, r, ink);
    svc::setView(10, 10, 109, 109, std::nullopt, std::nullopt);
    svc::drawCircle(2, 1, 5, ink);          // screen centre (12, 11), cut by the view's corner
    svc::drawCircle(60, 60, 1 << 30, ink);  // far larger than the screen: misses the view
    std::set<Point> expected;
    for (auto [x, y] : radiusFive(12, 11))
        if (x >= 10 && y >= 10) expected.insert({x, y});
    EXPECT_EQ(pixelsOf(ink), expected);
}

TEST_F(DrawingTest, BallFillsEightyNinePixels) {
    svc::setScreenMode(930, 647, 32);
    svc::setView(0, 0, 929, 646, 0xAAAAAA, std::nullopt);
    svc::drawCircle(400, 300, 5, 0xFFFFFF);
    svc::floodFill(400, 300, 0xFFFFFF, 0xFFFFFF);
    const std::set<Point> ball = pixelsOf(0xFFFFFF);
    EXPECT_EQ(ball.size(), 89u);
    for (auto [x, y] : ball) EXPECT_LE((x - 400) * (x - 400) + (y - 300) * (y - 300), 30) << x << "," << y;
    svc::drawCircle(400, 300, 5, 0xAAAAAA);  // painted over: the table is whole again
    svc::floodFill(400, 300, 0xAAAAAA, 0xAAAAAA);
    EXPECT_EQ(pixelsOf(0xAAAAAA).size(), 930u * 647u);
}

TEST_F(DrawingTest, FillWithNothingToDoOrFillColourInside) {
    svc::setScreenMode(640, 420, 32);
    svc::drawCircle(100, 100, 5, ink);
    const auto before = snapshot();
    svc::floodFill(105, 100, 0x123456, ink);  // on the border
    svc::floodFill(-1, 100, 0x123456, ink);   // outside the view
    svc::setView(0, 0, 50, 50, std::nullopt, std::nullopt);
    svc::floodFill(100, 100, 0x123456, ink);
    EXPECT_EQ(snapshot(), before);

    svc::setView(20, 20, 29, 29, black, ink);  // a 10 x 10 room walled in ink
    svc::setView(0, 0, 639, 419, std::nullopt, std::nullopt);
    for (int i = 0; i < 10; i++) svc::drawPixel(20 + i, 20 + (i * 7) % 10, 0x00AA00);
    svc::floodFill(25, 25, 0x00AA00, ink);
    EXPECT_EQ(pixelsOf(0x00AA00).size(), 100u);
}

// The filled region is the 4-connected set of non-border pixels around the
// start, within the view, whatever the shape: compare with a plain search.
TEST_F(DrawingTest, FillMatchesABreadthFirstSearchOnMazes) {
    constexpr int w = 64, h = 40;
    constexpr std::uint32_t wall = 0x0000AA, fill = 0xAA0000;
    svc::setScreenMode(w, h, 32);
    std::mt19937 gen(20261207);
    auto pick = [&](int n) { return static_cast<int>(gen() % static_cast<unsigned>(n)); };
    for (int round = 0; round < 40; round++) {
        SCOPED_TRACE(round);
        const int density = 25 + round % 4 * 10;  // percent of wall pixels
        for (int y = 0; y < h; y++)
            for (int x = 0; x < w; x++) svc::drawPixel(x, y, pick(100) < density ? wall : pick(5) ? black : fill);
        svc::setView(pick(8), pick(8), w - 1 - pick(8), h - 1 - pick(8), std::nullopt, std::nullopt);
        const svc::View v = svc::currentView();
        const int sx = pick(v.width), sy = pick(v.height);

        std::vector<std::uint32_t> expected = snapshot();
        auto at = [&](int x, int y) -> std::uint32_t& { return expected[static_cast<std::size_t>(y) * w + x]; };
        std::set<Point> seen{{v.left + sx, v.top + sy}};
        std::deque<Point> todo{{v.left + sx, v.top + sy}};
        if (at(v.left + sx, v.top + sy) == wall) todo.clear();
        while (!todo.empty()) {
            auto [x, y] = todo.front();
            todo.pop_front();
            at(x, y) = fill;
            for (Point n : {Point{x - 1, y}, Point{x + 1, y}, Point{x, y - 1}, Point{x, y + 1}}) {
                const bool inView =
                    n.first >= v.left && n.first < v.left + v.width && n.second >= v.top && n.second < v.top + v.height;
                if (inView && at(n.first, n.second) != wall && seen.insert(n).second) todo.push_back(n);
            }
        }
        svc::floodFill(sx, sy, fill, wall);
        ASSERT_EQ(snapshot(), expected);
        svc::setView(0, 0, w - 1, h - 1, std::nullopt, std::nullopt);
    }
}

}  // namespace
