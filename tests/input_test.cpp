// Mouse, keys, sleeps, the timer, line input and the end of the program, on
// the scripted platform's virtual clock.
#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "drawing.h"
#include "input.h"
#include "line_input.h"
#include "platform.h"
#include "sandbox.h"
#include "screen.h"
#include "scripted.h"
#include "timer.h"

namespace {

constexpr std::uint32_t black = 0xFF000000;
constexpr std::uint32_t white = 0xFFFFFF;
const std::string closeKey = "\xFFk";
const std::string left = "\xFFK", right = "\xFFM", home = "\xFFG", end = "\xFFO", del = "\xFFS";
const std::string up = "\xFFH", down = "\xFFP";

class InputTest : public ::testing::Test {
protected:
    sandbox::Sandbox box{false};
    void SetUp() override { ASSERT_EQ(svc::setScreenMode(930, 647, 32), 0); }
};

void expectMouse(int x, int y, int buttons) {
    const svc::Mouse m = svc::readMouse();
    EXPECT_EQ(m.x, x);
    EXPECT_EQ(m.y, y);
    EXPECT_EQ(m.buttons, buttons);
}

std::uint32_t shown(int x, int y) {
    return scripted::shownPixels()[static_cast<std::size_t>(y) * scripted::windowWidth() + x] & 0xFFFFFF;
}

TEST_F(InputTest, MouseIsMissingWhenOutsideOrInactive) {
    expectMouse(-1, -1, -1);  // outside until the first mouse event
    scripted::mouseAt(0.01, 10, 20, 1);
    scripted::mouseAt(0.02, 11, 21, 3);
    scripted::focusAt(0.03, false);
    scripted::focusAt(0.04, true);
    scripted::mouseOutsideAt(0.05);
    const struct {
        double until;
        int x, y, buttons;
    } steps[] = {{0.015, 10, 20, 1}, {0.025, 11, 21, 3}, {0.035, -1, -1, -1}, {0.045, 11, 21, 3}, {0.055, -1, -1, -1}};
    for (const auto& s : steps) {
        scripted::advance(s.until - scripted::now());
        SCOPED_TRACE(s.until);
        expectMouse(s.x, s.y, s.buttons);
    }
}

TEST_F(InputTest, LockedFrameSeesOneMouseState) {
    scripted::mouseAt(0.0, 5, 6, 0);
    expectMouse(5, 6, 0);
    scripted::mouseAt(0.01, 50, 60, 1);
    svc::lockScreen();
    scripted::advance(0.02);
    expectMouse(5, 6, 0);
    expectMouse(5, 6, 0);
    svc::unlockScreen();
    expectMouse(50, 60, 1);
}

TEST_F(InputTest, RingKeepsTheNewestFifteenAndTheCloseButton) {
    for (char c = 'a'; c < 'a' + 15; c++) scripted::keyAt(0.0, std::string(1, c));
    scripted::keyAt(0.0, left);
    scripted::closeAt(0.0);
    EXPECT_EQ(svc::isKeyDown(1), 0);
    std::string got;
    for (std::string k = svc::readKey(); !k.empty(); k = svc::readKey())
        got += k.size() == 1 ? k : "<" + k.substr(1) + ">";
    EXPECT_EQ(got, "cdefghijklmno<K><k>");
    EXPECT_TRUE(scripted::windowOpen());
}

TEST_F(InputTest, HeldKeysFollowTheKeyboardWhileActive) {
    scripted::holdKey(1, 0.0, 0.5);
    scripted::focusAt(0.1, false);
    scripted::focusAt(0.2, true);
    const struct {
        double at;
        int scancode, down;
    } steps[] = {{0.05, 1, -1}, {0.05, 2, 0}, {0.05, -1, 0}, {0.05, 128, 0}, {0.15, 1, 0}, {0.25, 1, -1}, {0.6, 1, 0}};
    for (const auto& s : steps) {
        if (s.at > scripted::now()) scripted::advance(s.at - scripted::now());
        EXPECT_EQ(svc::isKeyDown(s.scancode), s.down) << s.at << " " << s.scancode;
    }
}

TEST_F(InputTest, NewWindowStartsWithFreshInput) {
    scripted::mouseAt(0.0, 5, 6, 1);
    scripted::keyAt(0.0, "x");
    expectMouse(5, 6, 1);
    svc::setScreenMode(640, 420, 32);
    EXPECT_EQ(svc::readKey(), "");
    expectMouse(-1, -1, -1);
}

TEST_F(InputTest, SleepsLastTheirTimeUnlessAKeyCutsThemShort) {
    const struct {
        const char* name;
        bool delay;
        int ms;
        double key;  // seconds after the start, or below 0 for a key typed before the call
        bool withKey;
        double lowest, highest;
    } cases[] = {
        {"short sleep ignores keys", false, 10, -1, true, 0.010, 0.010},
        {"99 ms ignores keys", false, 99, -1, true, 0.099, 0.099},
        {"key before a 100 ms sleep", false, 100, -1, true, 0.0, 0.050},
        {"100 ms without a key", false, 100, 0, false, 0.100, 0.100},
        {"key during a long sleep", false, 250, 0.12, true, 0.12, 0.150},
        {"key during the remainder", false, 130, 0.11, true, 0.130, 0.130},
        {"delay ignores keys", true, 200, -1, true, 0.200, 0.200},
        {"nothing to wait", false, -5, 0, false, 0.0, 0.0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        while (!svc::readKey().empty()) {
        }
        if (c.withKey && c.key < 0) {
            scripted::keyAt(scripted::now(), "q");
            scripted::advance(0.001);
        }
        const double start = scripted::now();
        if (c.withKey && c.key >= 0) scripted::keyAt(start + c.key, "q");
        if (c.delay) {
            svc::delayMs(c.ms);
        } else {
            svc::sleepMs(c.ms);
        }
        const double took = scripted::now() - start;
        EXPECT_GE(took, c.lowest - 1e-4);
        EXPECT_LE(took, c.highest + 1e-4);
    }
}

TEST_F(InputTest, WaitingKeepsTheWindowUpToDate) {
    svc::drawPixel(100, 100, white);
    svc::sleepMs(20);
    EXPECT_EQ(shown(100, 100), white);

    const int before = scripted::presents();
    svc::delayMs(30);
    EXPECT_EQ(scripted::presents(), before);  // nothing changed, nothing shown again
    platform::Event exposed;
    exposed.kind = platform::EventKind::Exposed;
    scripted::at(scripted::now(), exposed);
    svc::delayMs(10);
    EXPECT_EQ(scripted::presents(), before + 1);
}

// Line input ------------------------------------------------------------------

std::vector<std::string> chars(const std::string& text) {
    std::vector<std::string> keys;
    for (char c : text) keys.emplace_back(1, c);
    return keys;
}

std::vector<std::string> operator+(std::vector<std::string> a, const std::vector<std::string>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

std::int32_t typeLine(const std::vector<std::string>& keys) {
    double t = scripted::now();
    for (const std::string& k : keys) scripted::keyAt(t += 0.03, k);
    return svc::inputInteger().value();
}

TEST_F(InputTest, TypedLinesGiveTheirFirstNumber) {
    const struct {
        const char* name;
        std::vector<std::string> keys;
        std::int32_t value;
        int beeps = 0;
    } cases[] = {
        {"leading blanks", chars("  42\r"), 42},
        {"comma ends the item", chars("7,5\r"), 7},
        {"half rounds to even", chars("2.5\r"), 2},
        {"half rounds up to even", chars("3.5\r"), 4},
        {"letters", chars("abc\r"), 0},
        {"empty line", chars("\r"), 0},
        {"negative, line feed", chars("-15\n"), -15},
        {"insert after left", chars("12") + std::vector{left} + chars("3\r"), 132},
        {"backspace", chars("123\b\r"), 12},
        {"backspace at the start", chars("1") + std::vector{left} + chars("\b9\r"), 91},
        {"delete at home", chars("123") + std::vector{home, del} + chars("\r"), 23},
        {"delete at the end beeps", chars("123") + std::vector{del} + chars("\r"), 123, 1},
        {"delete on an empty line beeps", std::vector{del, del} + chars("\r"), 0, 2},
        {"escape empties",
         chars("5\x1b"
               "7\r"),
         7},
        {"home then end", chars("12") + std::vector{home, end} + chars("3\r"), 123},
        {"right at the end", chars("4") + std::vector{right} + chars("2\r"), 42},
        {"up in the first row", chars("12") + std::vector{left, up} + chars("3\r"), 132},
        {"down past the end", chars("12") + std::vector{home, down} + chars("3\r"), 312},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        svc::setTextCursor(62, 28);
        const int beepsBefore = scripted::beeps(), entriesBefore = scripted::lineEntries();
        EXPECT_EQ(typeLine(c.keys), c.value);
        EXPECT_EQ(scripted::beeps() - beepsBefore, c.beeps);
        // The platform knew of the line while it was typed, and knows it ended.
        EXPECT_EQ(scripted::lineEntries() - entriesBefore, 1);
        EXPECT_FALSE(scripted::lineEntryOpen());
    }
}

std::vector<std::uint32_t> cells(int x0, int y0, int width) {
    std::vector<std::uint32_t> out;
    for (int y = y0; y < y0 + 8; y++)
        for (int x = x0; x < x0 + width; x++) out.push_back(svc::readPixel(x, y));
    return out;
}

TEST_F(InputTest, TypedLineIsEchoedAndEndsOnTheNextRow) {
    svc::setTextColor(white);
    svc::setTextCursor(62, 28);
    EXPECT_EQ(typeLine(chars("4\t2\r")), 4);
    EXPECT_EQ(svc::textCursorRow() * 1000 + svc::textCursorColumn(), 63001);
    const std::vector<std::uint32_t> echo = cells(216, 488, 56);
    // The tab fills up to column 33; the soft cursor leaves no trace behind.
    svc::setTextCursor(2, 28);
    svc::printText("4    2 ");
    EXPECT_EQ(echo, cells(216, 8, 56));
}

TEST_F(InputTest, SoftCursorMarksTheInputPosition) {
    svc::setTextColor(white);
    svc::setTextCursor(62, 28);
    scripted::keyAt(0.1, "4");
    auto bottomRow = [](int x0, std::uint32_t colour) {
        for (int x = x0; x < x0 + 8; x++)
            if (svc::readPixel(x, 495) != colour) return false;
        return true;
    };
    scripted::stopAt(0.05);
    EXPECT_THROW(svc::inputInteger(), scripted::ScriptEnded);
    EXPECT_TRUE(bottomRow(216, white));
    EXPECT_EQ(svc::readPixel(216, 494), black);
    EXPECT_EQ(shown(216, 495), white);  // visible while waiting

    svc::setTextCursor(62, 28);
    scripted::stopAt(0.2);
    EXPECT_THROW(svc::inputInteger(), scripted::ScriptEnded);
    EXPECT_TRUE(bottomRow(216, black));  // the 4 printed again in full: its last row is empty
    EXPECT_TRUE(bottomRow(224, white));
    EXPECT_EQ(svc::readPixel(219, 488), white);  // top row of the 4
}

TEST_F(InputTest, LinesLongerThanARow) {
    svc::setScreenMode(80, 16, 32);  // 10 columns, 2 rows
    svc::setTextColor(white);
    const struct {
        const char* name;
        std::vector<std::string> keys;
        std::int32_t value;
    } cases[] = {
        {"up", chars("123456789012345") + std::vector{up} + chars(",\r"), 12345},
        {"down", chars("123456789012345") + std::vector{home, down} + chars(",\r"), 1234567890},
        {"scrolls", chars("1,34567890ABCDE\r"), 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        svc::setTextCursor(2, 1);
        EXPECT_EQ(typeLine(c.keys), c.value);
        EXPECT_EQ(svc::textCursorRow() * 1000 + svc::textCursorColumn(), 2001);
    }
    // Two scrolls: the line's second row is now the top row.
    const std::vector<std::uint32_t> top = cells(0, 0, 80);
    svc::printText("ABCDE     ");
    EXPECT_EQ(top, cells(0, 8, 80));
}

TEST_F(InputTest, LineInputWithoutAWindowWaitsInsteadOfSpinning) {
    svc::resetScreen();
    scripted::stopAt(scripted::now() + 1.0);
    EXPECT_THROW(svc::inputInteger(), scripted::ScriptEnded);
}

// The close button ends the input without a number; what follows is the
// caller's to decide.
TEST_F(InputTest, CloseDuringLineInputIsReported) {
    svc::setTextCursor(62, 28);
    scripted::keyAt(0.03, "5");
    scripted::closeAt(0.1);
    EXPECT_EQ(svc::inputInteger(), std::nullopt);
    EXPECT_FALSE(scripted::lineEntryOpen());
    EXPECT_NEAR(scripted::now(), 0.1, 0.03);
    EXPECT_TRUE(scripted::windowOpen());
}

}  // namespace
