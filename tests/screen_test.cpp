// The screen, its window, the text grid, the view and the lock.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

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

std::uint32_t pixel(int x, int y) {
    return svc::screenPixels()[static_cast<std::size_t>(y) * svc::screenWidth() + x];
}

int countColour(std::uint32_t colour) {
    int n = 0;
    for (int y = 0; y < svc::screenHeight(); y++)
        for (int x = 0; x < svc::screenWidth(); x++) n += pixel(x, y) == colour;
    return n;
}

// True when the 8 x 8 cell with its top-left corner at (x0, y0) is all `colour`.
bool cellIs(int x0, int y0, std::uint32_t colour) {
    for (int y = y0; y < y0 + 8; y++)
        for (int x = x0; x < x0 + 8; x++)
            if (pixel(x, y) != colour) return false;
    return true;
}

std::uint32_t shown(int x, int y) {
    return scripted::shownPixels()[static_cast<std::size_t>(y) * scripted::windowWidth() + x] & 0xFFFFFF;
}

TEST_F(ScreenTest, NewScreenStartsBlackWithGridAndDefaultTitle) {
    ASSERT_EQ(svc::setScreenMode(930, 647, 32), 0);
    EXPECT_TRUE(scripted::windowOpen());
    EXPECT_EQ(scripted::windowWidth(), 930);
    EXPECT_EQ(scripted::windowHeight(), 647);
    EXPECT_EQ(scripted::windowTitle(), "rotandor");
    EXPECT_EQ(countColour(black), 930 * 647);
    EXPECT_EQ(svc::textRows(), 80);
    EXPECT_EQ(svc::textColumns(), 116);
    EXPECT_EQ(svc::textCursorRow(), 1);
    EXPECT_EQ(svc::textCursorColumn(), 1);
    EXPECT_EQ(svc::textForeground(), 0xFFFFFFFFu);
    EXPECT_EQ(svc::lockCount(), 0);
    EXPECT_NE(svc::getWindowHandle(), 0u);
}

TEST_F(ScreenTest, BadModeArgumentsChangeNothing) {
    ASSERT_EQ(svc::setScreenMode(640, 420, 32), 0);
    svc::drawPixel(5, 5, 0x123456);
    struct Case {
        int w, h, bpp;
    };
    for (Case c : {Case{0, 420, 32}, Case{640, 0, 32}, Case{-640, 420, 32}, Case{640, 420, 0}, Case{640, 420, 3},
                   Case{640, 420, 64}}) {
        SCOPED_TRACE(std::to_string(c.w) + "x" + std::to_string(c.h) + "x" + std::to_string(c.bpp));
        EXPECT_EQ(svc::setScreenMode(c.w, c.h, c.bpp), 1);
        EXPECT_EQ(scripted::windowsOpened(), 1);
        EXPECT_EQ(svc::screenWidth(), 640);
        EXPECT_EQ(svc::readPixel(5, 5), 0x123456u);
    }
    // Every depth of the list opens a screen.
    for (int bpp : {1, 2, 4, 8, 15, 16, 24, 32}) EXPECT_EQ(svc::setScreenMode(16, 16, bpp), 0) << bpp;
}

TEST_F(ScreenTest, NoScreenMeansNothingHappens) {
    EXPECT_EQ(svc::readPixel(0, 0), 0xFFFFFFFFu);
    EXPECT_EQ(svc::getWindowHandle(), 0u);
    svc::drawPixel(0, 0, 1);
    svc::drawLine(0, 0, 10, 10, 1);
    svc::printText("abc");
    svc::lockScreen();
    EXPECT_EQ(svc::lockCount(), 0);
    svc::setScreenMode(64, 64, 32);
    svc::resetScreen();
    EXPECT_FALSE(scripted::windowOpen());
    EXPECT_FALSE(svc::screenOpen());
    EXPECT_EQ(svc::readPixel(0, 0), 0xFFFFFFFFu);
}

TEST_F(ScreenTest, TitleOutlivesScreensAndIsCut) {
    svc::setWindowTitle("Rotandor");
    svc::setScreenMode(640, 420, 32);
    EXPECT_EQ(scripted::windowTitle(), "Rotandor");
    const std::string longTitle(200, 'x');
    svc::setWindowTitle(longTitle);
    EXPECT_EQ(scripted::windowTitle(), std::string(127, 'x'));
    svc::setScreenMode(930, 647, 32);
    EXPECT_EQ(scripted::windowsOpened(), 2);
    EXPECT_EQ(scripted::windowTitle(), std::string(127, 'x'));
    svc::resetScreen();
    svc::setScreenMode(640, 420, 32);
    EXPECT_EQ(scripted::windowTitle(), "rotandor");
}

TEST_F(ScreenTest, ColoursAreStoredUnchanged) {
    svc::setScreenMode(640, 420, 32);
    svc::drawPixel(3, 3, 7);
    svc::drawPixel(4, 3, 0xFF000007);
    EXPECT_EQ(svc::readPixel(3, 3), 7u);
    EXPECT_EQ(svc::readPixel(4, 3), 0xFF000007u);
    svc::setTextColor(15);
    EXPECT_EQ(svc::textForeground(), 15u);
}

TEST_F(ScreenTest, LetterPaintsItsWholeCell) {
    svc::setScreenMode(640, 420, 32);
    svc::drawPixel(8, 0, 0x123456);
    svc::drawPixel(3, 7, 0x654321);  // under a glyph gap: printing must cover it
    svc::setTextColor(7);
    svc::setTextCursor(1, 1);
    svc::printText("A");
    const char* glyph[8] = {
        "..###...", ".##.##..", "##...##.", "#######.", "##...##.", "##...##.", "##...##.", "........",
    };
    for (int y = 0; y < 8; y++) {
        for (int x = 0; x < 8; x++) {
            EXPECT_EQ(svc::readPixel(x, y), glyph[y][x] == '#' ? 7u : black) << x << "," << y;
        }
    }
    EXPECT_EQ(svc::readPixel(8, 0), 0x123456u);
    EXPECT_EQ(svc::textCursorColumn(), 2);
}

TEST_F(ScreenTest, CursorPlacesCellsAndIgnoresPositionsOffTheGrid) {
    svc::setScreenMode(930, 647, 32);
    svc::setTextColor(grey);
    svc::setTextCursor(62, 28);
    for (auto [r, c] : {std::pair{0, 5}, {81, 5}, {5, 0}, {5, 117}, {-1, -1}}) svc::setTextCursor(r, c);
    EXPECT_EQ(svc::textCursorRow(), 62);
    EXPECT_EQ(svc::textCursorColumn(), 28);
    svc::printText(block);
    EXPECT_TRUE(cellIs(216, 488, grey));
    EXPECT_EQ(countColour(grey), 64);
}

TEST_F(ScreenTest, TextWrapsAtTheLastColumn) {
    svc::setScreenMode(640, 420, 32);
    svc::setTextColor(grey);
    svc::setTextCursor(1, 80);
    svc::printText(block + block);
    EXPECT_TRUE(cellIs(632, 0, grey));
    EXPECT_TRUE(cellIs(0, 8, grey));
    EXPECT_EQ(countColour(grey), 128);
    EXPECT_EQ(svc::textCursorRow(), 2);
    EXPECT_EQ(svc::textCursorColumn(), 2);
}

// 640 x 420 has 52 rows: the last row of cells is y 408..415, and y 416..419
// belong to no cell and must never move.
TEST_F(ScreenTest, ScrollWaitsForTheNextCharacter) {
    svc::setScreenMode(640, 420, 32);
    svc::drawPixel(0, 417, 0x111111);
    svc::setTextColor(grey);
    svc::setTextCursor(52, 80);
    svc::printText(block);
    EXPECT_TRUE(cellIs(632, 408, grey));
    EXPECT_EQ(svc::textCursorRow(), 52);
    EXPECT_EQ(svc::textCursorColumn(), 80);

    svc::printText(block);  // the scroll happens now
    EXPECT_TRUE(cellIs(632, 400, grey));
    EXPECT_TRUE(cellIs(632, 408, black));
    EXPECT_TRUE(cellIs(0, 408, grey));
    EXPECT_EQ(countColour(grey), 128);
    EXPECT_EQ(svc::textCursorRow(), 52);
    EXPECT_EQ(svc::textCursorColumn(), 2);
    EXPECT_EQ(svc::readPixel(0, 417), 0x111111u);
}

TEST_F(ScreenTest, CursorMoveCancelsTheWaitingScroll) {
    svc::setScreenMode(640, 420, 32);
    svc::setTextColor(grey);
    svc::setTextCursor(52, 79);
    svc::printText(block + block);
    svc::setTextCursor(1, 1);
    svc::printText(block);
    EXPECT_TRUE(cellIs(624, 408, grey));
    EXPECT_TRUE(cellIs(632, 408, grey));
    EXPECT_TRUE(cellIs(0, 0, grey));
    EXPECT_EQ(countColour(grey), 3 * 64);
}

TEST_F(ScreenTest, ScrollInsideOnePrintAndPaintsBackground) {
    svc::setScreenMode(640, 420, 32);
    svc::setTextColor(grey);
    svc::setTextCursor(1, 1);
    svc::printText(block);  // scrolls off the top
    svc::setTextCursor(52, 79);
    svc::printText(block + block + block);
    EXPECT_TRUE(cellIs(624, 400, grey));
    EXPECT_TRUE(cellIs(632, 400, grey));
    EXPECT_TRUE(cellIs(0, 408, grey));
    EXPECT_TRUE(cellIs(8, 408, black));
    EXPECT_EQ(countColour(grey), 3 * 64);
}

TEST_F(ScreenTest, LineEndGoesToNextRowAndScrollsAtTheBottom) {
    svc::setScreenMode(640, 420, 32);
    svc::setTextColor(grey);
    svc::setTextCursor(10, 40);
    svc::printLineEnd();
    EXPECT_EQ(svc::textCursorRow(), 11);
    EXPECT_EQ(svc::textCursorColumn(), 1);

    svc::setTextCursor(52, 5);
    svc::printText(block);
    svc::printLineEnd();
    EXPECT_EQ(svc::textCursorRow(), 52);
    EXPECT_EQ(svc::textCursorColumn(), 1);
    EXPECT_TRUE(cellIs(32, 400, grey));

    // A line end right after the last cell takes the waiting scroll only.
    svc::setTextCursor(52, 80);
    svc::printText(block);
    svc::printLineEnd();
    EXPECT_TRUE(cellIs(632, 400, grey));
    EXPECT_TRUE(cellIs(32, 392, grey));
    EXPECT_EQ(svc::textCursorRow(), 52);
    EXPECT_EQ(svc::textCursorColumn(), 1);
}

TEST_F(ScreenTest, PanelViewColoursItsFrameAndInside) {
    svc::setScreenMode(930, 647, 32);
    svc::setView(20, 20, 10, 10, grey, grey);  // corners in any order
    svc::setView(0, 0, 930, 647, std::nullopt, std::nullopt);
    EXPECT_EQ(countColour(grey), 13 * 13);
    EXPECT_EQ(svc::readPixel(9, 9), grey);
    EXPECT_EQ(svc::readPixel(21, 21), grey);
    EXPECT_EQ(svc::readPixel(22, 21), black);
    svc::drawPixel(929, 646, 5);
    EXPECT_EQ(svc::readPixel(929, 646), 5u);
}

TEST_F(ScreenTest, ViewIsClippedToTheScreen) {
    svc::setScreenMode(640, 420, 32);
    struct Case {
        int x1, y1, x2, y2;
        svc::View view;
    };
    for (Case c : {Case{0, 0, 930, 647, {0, 0, 640, 420}}, Case{-5, -5, 10, 20, {0, 0, 11, 21}},
                   Case{600, 400, 700, 500, {600, 400, 40, 20}}, Case{700, 10, 800, 20, {640, 10, 0, 11}},
                   Case{-20, 10, -10, 20, {0, 10, 0, 11}}}) {
        svc::setView(c.x1, c.y1, c.x2, c.y2, std::nullopt, std::nullopt);
        const svc::View v = svc::currentView();
        EXPECT_EQ(v.left, c.view.left);
        EXPECT_EQ(v.top, c.view.top);
        EXPECT_EQ(v.width, c.view.width) << c.x1 << " " << c.x2;
        EXPECT_EQ(v.height, c.view.height) << c.y1 << " " << c.y2;
    }
    // An empty view draws and reads nothing.
    svc::setView(700, 10, 800, 20, 0x222222, std::nullopt);
    svc::drawPixel(0, 0, 0x222222);
    EXPECT_EQ(svc::readPixel(0, 0), 0xFFFFFFFFu);
    EXPECT_EQ(countColour(0x222222), 0);
    // A frame partly off the screen is drawn where it is on it.
    svc::setView(-5, 2, 3, 4, std::nullopt, grey);
    EXPECT_EQ(countColour(grey), 5 + 5 + 3);
}

TEST_F(ScreenTest, DrawingCountsFromTheViewCorner) {
    svc::setScreenMode(640, 420, 32);
    svc::drawPixel(99, 50, 0x333333);
    svc::setView(100, 50, 199, 149, std::nullopt, std::nullopt);
    svc::drawPixel(0, 0, 0x444444);
    svc::drawPixel(100, 0, 0x444444);  // just outside
    EXPECT_EQ(svc::readPixel(-1, 0), 0xFFFFFFFFu);
    EXPECT_EQ(svc::readPixel(100, 0), 0xFFFFFFFFu);
    EXPECT_EQ(svc::readPixel(0, 0), 0x444444u);
    svc::setView(0, 0, 639, 419, std::nullopt, std::nullopt);
    EXPECT_EQ(svc::readPixel(100, 50), 0x444444u);
    EXPECT_EQ(svc::readPixel(99, 50), 0x333333u);
    EXPECT_EQ(svc::readPixel(200, 50), black);
}

TEST_F(ScreenTest, LockedDrawingAppearsAtTheLastUnlock) {
    svc::setScreenMode(640, 420, 32);
    svc::refreshWindow();
    svc::lockScreen();
    svc::lockScreen();
    svc::drawPixel(10, 10, 0xFFFFFF);
    svc::refreshWindow();
    svc::unlockScreen();
    EXPECT_EQ(svc::lockCount(), 1);
    svc::refreshWindow();
    EXPECT_EQ(shown(10, 10), 0u);
    svc::unlockScreen();
    EXPECT_EQ(shown(10, 10), 0xFFFFFFu);
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
    svc::refreshWholeWindow();
    EXPECT_EQ(scripted::presents(), before + 2);
}

}  // namespace
