// The screen, its window, the text grid, the view and the lock.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <tuple>
#include <vector>

#include "drawing.h"
#include "sandbox.h"
#include "screen.h"
#include "scripted.h"

namespace {

constexpr std::uint32_t black = 0xFF000000;
constexpr std::uint32_t grey = 0xAAAAAA;
const std::string block = "\xDB";  // full 8 x 8 block

class ScreenTest : public ::testing::Test {
protected:
    sandbox::Sandbox box{false};
};

int countColour(std::uint32_t colour) {
    const std::uint32_t* p = svc::screenPixels();
    return static_cast<int>(std::count(p, p + svc::screenWidth() * svc::screenHeight(), colour));
}

bool cellIs(int x0, int y0, std::uint32_t colour) {
    for (int y = y0; y < y0 + 8; y++)
        for (int x = x0; x < x0 + 8; x++)
            if (svc::readPixel(x, y) != colour) return false;
    return true;
}

std::uint32_t shown(int x, int y) {
    return scripted::shownPixels()[static_cast<std::size_t>(y) * scripted::windowWidth() + x] & 0xFFFFFF;
}

TEST_F(ScreenTest, ModeOpensABlackScreenOrChangesNothing) {
    EXPECT_EQ(svc::readPixel(0, 0), 0xFFFFFFFFu);  // no screen yet
    EXPECT_EQ(svc::getWindowHandle(), 0u);
    ASSERT_EQ(svc::setScreenMode(930, 647, 32), 0);
    EXPECT_EQ(scripted::windowWidth(), 930);
    EXPECT_EQ(scripted::windowTitle(), "rotandor");
    EXPECT_EQ(countColour(black), 930 * 647);
    EXPECT_EQ(svc::textRows() * 1000 + svc::textColumns(), 80116);
    svc::drawPixel(5, 5, 7);
    svc::drawPixel(6, 5, 0xFF000007);
    for (auto [w, h, bpp] : {std::tuple{0, 420, 32}, {640, -1, 32}, {640, 420, 0}, {640, 420, 3}, {640, 420, 64}}) {
        EXPECT_EQ(svc::setScreenMode(w, h, bpp), 1) << w << "x" << h << "x" << bpp;
    }
    EXPECT_EQ(scripted::windowsOpened(), 1);
    EXPECT_EQ(svc::readPixel(5, 5), 7u);  // kept exactly, top byte and all
    EXPECT_EQ(svc::readPixel(6, 5), 0xFF000007u);
}

TEST_F(ScreenTest, TitleAndIconOutliveScreens) {
    const std::vector<std::uint32_t> icon(16 * 16, 0xFF00AA00);
    svc::setWindowIcon(icon.data(), 16, 16);
    svc::setWindowTitle(std::string(200, 'x'));
    EXPECT_TRUE(scripted::windowIcon().empty());
    svc::setScreenMode(640, 420, 32);
    svc::setScreenMode(930, 647, 32);
    EXPECT_EQ(scripted::windowTitle(), std::string(127, 'x'));
    EXPECT_EQ(scripted::windowIcon(), icon);
    svc::resetScreen();
    EXPECT_FALSE(scripted::windowOpen());
    svc::setScreenMode(640, 420, 32);
    EXPECT_EQ(scripted::windowTitle(), "rotandor");
}

TEST_F(ScreenTest, LetterPaintsItsWholeCell) {
    svc::setScreenMode(640, 420, 32);
    svc::drawPixel(8, 0, 0x123456);
    svc::drawPixel(3, 7, 0x654321);  // under a gap of the glyph
    svc::setTextColor(7);
    svc::printText("A");
    const char* glyph[8] = {"..###...", ".##.##..", "##...##.", "#######.",
                            "##...##.", "##...##.", "##...##.", "........"};
    for (int y = 0; y < 8; y++)
        for (int x = 0; x < 8; x++) EXPECT_EQ(svc::readPixel(x, y), glyph[y][x] == '#' ? 7u : black) << x << "," << y;
    EXPECT_EQ(svc::readPixel(8, 0), 0x123456u);
}

TEST_F(ScreenTest, CursorPlacesCellsIgnoresTheOffGridAndWraps) {
    svc::setScreenMode(930, 647, 32);
    svc::setTextColor(grey);
    svc::setTextCursor(62, 28);
    for (auto [r, c] : {std::pair{0, 5}, {81, 5}, {5, 0}, {5, 117}}) svc::setTextCursor(r, c);
    svc::printText(block);
    EXPECT_TRUE(cellIs(216, 488, grey));
    svc::setTextCursor(3, 116);
    svc::printText(block + block);
    EXPECT_TRUE(cellIs(920, 16, grey));
    EXPECT_TRUE(cellIs(0, 24, grey));
    EXPECT_EQ(countColour(grey), 3 * 64);
    EXPECT_EQ(svc::textCursorRow() * 1000 + svc::textCursorColumn(), 4002);
}

// 640 x 420: the last row of cells is y 408..415; y 416..419 belong to no cell.
TEST_F(ScreenTest, ScrollWaitsForTheNextCharacter) {
    svc::setScreenMode(640, 420, 32);
    svc::drawPixel(0, 417, 0x111111);
    svc::setTextColor(grey);
    svc::setTextCursor(52, 80);
    svc::printText(block);
    EXPECT_TRUE(cellIs(632, 408, grey));
    svc::printText(block);  // now the screen scrolls
    EXPECT_TRUE(cellIs(632, 400, grey));
    EXPECT_TRUE(cellIs(632, 408, black));
    EXPECT_TRUE(cellIs(0, 408, grey));
    EXPECT_EQ(svc::readPixel(0, 417), 0x111111u);

    svc::setTextCursor(52, 80);
    svc::printText(block);
    svc::setTextCursor(1, 1);  // cancels the waiting scroll
    svc::printText(block);
    EXPECT_TRUE(cellIs(632, 408, grey));
    EXPECT_TRUE(cellIs(0, 408, grey));

    // A line end on the last row scrolls; right after the last cell it only
    // takes the waiting scroll.
    svc::setTextCursor(52, 80);
    svc::printText(block);
    svc::printLineEnd();
    EXPECT_TRUE(cellIs(632, 400, grey));
    EXPECT_TRUE(cellIs(632, 408, black));
    svc::printLineEnd();
    EXPECT_TRUE(cellIs(632, 392, grey));
    EXPECT_EQ(svc::textCursorRow() * 1000 + svc::textCursorColumn(), 52001);
}

TEST_F(ScreenTest, PanelViewColoursItsFrameAndInside) {
    svc::setScreenMode(930, 647, 32);
    svc::setView(20, 20, 10, 10, grey, grey);  // corners in any order
    svc::setView(0, 0, 930, 647, std::nullopt, std::nullopt);
    EXPECT_EQ(countColour(grey), 13 * 13);
    EXPECT_EQ(svc::readPixel(9, 9), grey);
    EXPECT_EQ(svc::readPixel(21, 21), grey);
    svc::drawPixel(929, 646, 5);
    EXPECT_EQ(svc::readPixel(929, 646), 5u);
}

TEST_F(ScreenTest, ViewIsClippedToTheScreenAndCountsFromItsCorner) {
    svc::setScreenMode(640, 420, 32);
    struct Case {
        int x1, y1, x2, y2;
        svc::View view;
    } cases[] = {{0, 0, 930, 647, {0, 0, 640, 420}},
                 {-5, -5, 10, 20, {0, 0, 11, 21}},
                 {600, 400, 700, 500, {600, 400, 40, 20}},
                 {700, 10, 800, 20, {640, 10, 0, 11}},
                 {-20, 10, -10, 20, {0, 10, 0, 11}}};
    for (const Case& c : cases) {
        svc::setView(c.x1, c.y1, c.x2, c.y2, std::nullopt, std::nullopt);
        const svc::View v = svc::currentView();
        EXPECT_EQ(std::tuple(v.left, v.top, v.width, v.height),
                  std::tuple(c.view.left, c.view.top, c.view.width, c.view.height))
            << c.x1 << "," << c.y1 << " " << c.x2 << "," << c.y2;
    }
    EXPECT_EQ(svc::readPixel(0, 0), 0xFFFFFFFFu);   // the empty view of the last case
    svc::setView(-5, 2, 3, 4, std::nullopt, grey);  // frame partly off the screen
    EXPECT_EQ(countColour(grey), 5 + 5 + 3);

    svc::setView(0, 0, 639, 419, std::nullopt, std::nullopt);
    svc::drawPixel(99, 50, 0x333333);
    svc::setView(100, 50, 199, 149, std::nullopt, std::nullopt);
    svc::drawPixel(0, 0, 0x444444);
    svc::drawPixel(100, 0, 0x444444);
    EXPECT_EQ(svc::readPixel(-1, 0), 0xFFFFFFFFu);  // the screen holds 0x333333 there
    EXPECT_EQ(svc::readPixel(0, 0), 0x444444u);
    EXPECT_EQ(countColour(0x444444), 1);
}

TEST_F(ScreenTest, LockedDrawingAppearsAtTheLastUnlock) {
    svc::setScreenMode(640, 420, 32);
    svc::refreshWindow();
    svc::lockScreen();
    svc::lockScreen();
    svc::drawPixel(10, 10, 0xFFFFFF);
    svc::drawCircle(300, 300, 5, 0x55FF55);
    svc::floodFill(300, 300, 0x55FF55, 0x55FF55);
    svc::setTextCursor(52, 1);
    svc::printText(block);
    svc::unlockScreen();
    svc::refreshWindow();
    EXPECT_EQ(shown(10, 10) | shown(300, 300) | shown(7, 415), 0u);
    svc::unlockScreen();
    EXPECT_EQ(shown(10, 10), 0xFFFFFFu);
    EXPECT_EQ(shown(300, 300), 0x55FF55u);
    EXPECT_EQ(shown(7, 415), 0xFFFFFFu);
    svc::unlockScreen();  // at 0: nothing
    EXPECT_EQ(svc::lockCount(), 0);
}

TEST_F(ScreenTest, RefreshPresentsOnlyWhenSomethingChanged) {
    svc::setScreenMode(640, 420, 32);
    svc::refreshWindow();
    const int before = scripted::presents();
    svc::refreshWindow();
    svc::lockScreen();
    svc::unlockScreen();
    EXPECT_EQ(scripted::presents(), before);
    svc::drawPixel(639, 419, 0x00FF00);
    svc::refreshWindow();
    EXPECT_EQ(scripted::presents(), before + 1);
    EXPECT_EQ(shown(639, 419), 0x00FF00u);
}

}  // namespace
