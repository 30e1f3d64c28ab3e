#pragma once
// The roulette table in a sandbox, for the field, stake and wheel tests: the
// game's run state cleared, the table set up as the program does it, the
// shipped layout read by the test itself, and a reader that turns the pixels
// of a text row back into characters and checks their colour bands.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <fstream>
#include <numbers>
#include <sstream>
#include <string>
#include <vector>

#include "drawing.h"
#include "fields.h"
#include "flow.h"
#include "game_fixture.h"
#include "input.h"
#include "player.h"
#include "records.h"
#include "sandbox.h"
#include "screen.h"
#include "screen_reader.h"
#include "scripted.h"
#include "settlement.h"
#include "stakes.h"
#include "table.h"
#include "test_state.h"
#include "wheel.h"

namespace tablefix {

constexpr std::uint32_t white = 0xFFFFFF;
constexpr std::uint32_t grey = 0xAAAAAA;

struct Bands {
    std::uint32_t top, middle, bottom;
};
constexpr Bands cyan{0xFFFFFF, 0x55FFFF, 0x00AAAA};
constexpr Bands green{0xFFFFFF, 0x55FF55, 0x00AA00};
constexpr Bands plainWhite{0xFFFFFF, 0xFFFFFF, 0xFFFFFF};

struct Rect {
    int xLeft, xRight, yTop, yBottom;
    int cx() const { return (xLeft + xRight) / 2; }
    int cy() const { return (yTop + yBottom) / 2; }
};

// The 87 regions of the shipped "Button.txt", read here rather than by the game.
inline std::vector<Rect> shippedLayout() {
    std::ifstream in(sandbox::dataDir() / "Button.txt");
    std::vector<Rect> rects;
    std::string line;
    while (std::getline(in, line)) {
        for (char& c : line) {
            if (c == ',') c = ' ';
        }
        std::istringstream items(line);
        Rect r{};
        double mark = 0;
        if (items >> r.xLeft >> r.xRight >> r.yTop >> r.yBottom >> mark) rects.push_back(r);
    }
    return rects;
}

// A copy of a screen's pixels, low 24 bits (what the window shows).
struct Frame {
    int width = 0, height = 0;
    std::vector<std::uint32_t> px;

    std::uint32_t at(int x, int y) const {
        if (x < 0 || y < 0 || x >= width || y >= height) return 0xFFFFFFFF;
        return px[static_cast<std::size_t>(y) * width + x];
    }

    // The characters of a text row from (row, column) on, in cells of 8 x 8:
    // glyph pixels in the band colour of their pixel row, all others black.
    // A cell that is not a glyph in those colours reads as '?'.
    std::string text(int row, int column, int length, Bands bands) const {
        std::string out;
        for (int i = 0; i < length; i++) {
            const int x0 = 8 * (column + i) - 8, y0 = 8 * row - 8;
            unsigned char bits[8] = {};
            bool coloured = true;
            for (int k = 0; k < 8; k++) {
                const std::uint32_t band = k < 2 ? bands.top : k < 5 ? bands.middle : bands.bottom;
                for (int j = 0; j < 8; j++) {
                    const std::uint32_t p = at(x0 + j, y0 + k);
                    if (p == 0) continue;
                    if (p != band) coloured = false;
                    bits[k] |= static_cast<unsigned char>(0x80 >> j);
                }
            }
            const char c = screenreader::glyphChar(bits);
            out += coloured && c != '\xFF' ? c : '?';
        }
        return out;
    }
};

inline Frame frameOf(const std::vector<std::uint32_t>& pixels, int width, int height) {
    Frame f;
    f.width = width;
    f.height = height;
    f.px.reserve(pixels.size());
    for (std::uint32_t p : pixels) f.px.push_back(p & 0xFFFFFF);
    return f;
}

// What the window shows now.
inline Frame shown() {
    return frameOf(scripted::shownPixels(), scripted::windowWidth(), scripted::windowHeight());
}

// The screen buffer, including what a lock still holds back.
inline Frame buffer() {
    const std::size_t n = static_cast<std::size_t>(svc::screenWidth()) * svc::screenHeight();
    return frameOf(std::vector<std::uint32_t>(svc::screenPixels(), svc::screenPixels() + n), svc::screenWidth(),
                   svc::screenHeight());
}

// The white disc of the ball (an outline of radius 5 filled) around (x, y):
// the largest |dx| on each row dy = -5..5.
constexpr int discHalfWidth[11] = {1, 3, 4, 4, 5, 5, 5, 4, 4, 3, 1};

// How many of the disc's 89 pixels around (x, y) have this colour.
inline int discPixels(const Frame& f, int x, int y, std::uint32_t colour) {
    int n = 0;
    for (int dy = -5; dy <= 5; dy++) {
        const int w = discHalfWidth[dy + 5];
        for (int dx = -w; dx <= w; dx++) n += f.at(x + dx, y + dy) == colour;
    }
    return n;
}

// Where the ball rests in a pocket, from the orbit's centre, radius and angle.
inline int pocketCentreX(int p) {
    return static_cast<int>(std::lround(641 - 184 * std::sin(p * 2 * std::numbers::pi / 37)));
}
inline int pocketCentreY(int p) {
    return static_cast<int>(std::lround(319 - 184 * std::cos(p * 2 * std::numbers::pi / 37)));
}

// Everything a run of the program starts from.
inline void clearGame() {
    game::resetRunState();
}

// The player's task file with every task done and its check value set.
inline const char* const allTasksDone =
    "1,0,27406159\r\n1,0,0\r\n1,3,6148\r\n1,10,0\r\n1,50,0\r\n1,5,0\r\n1,3,0\r\n"
    "1,0,3027\r\n1,0,4591\r\n1,3,0\r\n1,2,0\r\n1,0,1836\r\n1,7,638\r\n1,0,26953\r\n";

inline svc::Mouse leftAt(int x, int y) {
    return svc::Mouse{x, y, 1};
}
inline svc::Mouse leftAt(const Rect& r) {
    return leftAt(r.cx(), r.cy());
}

// The table as the program opens it (screen, state, pictures, panels,
// layout), in a fresh sandbox, without a player file: practice money.
class TableTest : public ::testing::Test {
protected:
    void SetUp() override {
        reopenTable();
        layout = shippedLayout();
        ASSERT_EQ(layout.size(), 87u);
    }

    // A new run's table, also after a settlement has ended the program.
    static void reopenTable() {
        clearGame();
        game::takeFileNumber();
        game::openTable();
    }

    // Runs hit-test passes with the left button on the region until it is
    // hit; the number of passes it took.
    int holdOn(int field) {
        for (int pass = 1; pass <= 2 * game::fieldCount; pass++) {
            const int tested = game::regionCursor >= 86 ? 0 : game::regionCursor + 1;
            if (game::hitTestStep(leftAt(layout[field])) && tested == field) return pass;
        }
        return -1;
    }

    // Money mode with this balance, as after a start with every task done.
    static void playForMoney(std::uint64_t balance) {
        gamefix::allTasksDone();
        writable(game::moneyMode) = 1;
        writable(game::chip100Unlocked) = 1;
        writable(game::cornersUnlocked) = 1;
        writable(game::player).balance = balance;
    }

    // Sets the clock so that its whole seconds are `seed` when the ball starts.
    static void clockAtSecond(double seed) { scripted::advance(seed + 0.25 - scripted::now()); }

    sandbox::Sandbox box;
    std::vector<Rect> layout;
};

// What a run of the whole program left behind when it stopped.
struct RunResult {
    sandbox::RunEnd end;
    double clock = 0;     // virtual time when it stopped
    double deadline = 0;  // the croupier's
    game::Ball ball;
    game::FieldBet fieldBet;
    game::StakeBet stakeBet;
    std::vector<scripted::Box> boxes;
    Frame frame;  // what the window showed last
    bool history = false, tasks = false;
    std::string wallet;
};

// The statistics screen's panel clicked away from every table region; the
// table opens at the click wait's next poll, at 0.5 s.
constexpr double tableOpens = 0.5;

// Runs the program in a fresh sandbox until it ends or the clock passes
// stopAt; `script` schedules the player's input after the table has opened.
// With a wallet the player has done every task and plays for that money.
template <class Script>
RunResult runTable(double stopAt, Script script, const std::string& wallet = "") {
    sandbox::Sandbox box;
    if (!wallet.empty()) {
        sandbox::writeFile(box.playerDir() / "Secrets.dat", allTasksDone);
        sandbox::writeFile(box.playerDir() / "Geldbeutel.dat", wallet);
    }
    scripted::mouseAt(0.45, 380, 390, 1);
    scripted::mouseAt(0.55, 380, 390, 0);
    script();
    RunResult r;
    r.end = sandbox::runGame(stopAt);
    r.clock = scripted::now();
    r.deadline = game::spinDeadline;
    r.ball = game::ball;
    r.fieldBet = game::fieldBet;
    r.stakeBet = game::stakeBet;
    r.boxes = scripted::boxes();
    r.frame = shown();
    r.history = sandbox::exists(box.dir() / "Roulettezahlen.txt");
    r.tasks = sandbox::exists(box.playerDir() / "Secrets.dat");
    r.wallet = sandbox::readFile(box.playerDir() / "Geldbeutel.dat");
    return r;
}

inline RunResult runTable(double stopAt) {
    return runTable(stopAt, [] {});
}

// The left button held on a point for 50 ms.
inline void clickAt(double t, int x, int y) {
    scripted::mouseAt(t, x, y, 1);
    scripted::mouseAt(t + 0.05, x, y, 0);
}
inline void clickAt(double t, const Rect& r) {
    clickAt(t, r.cx(), r.cy());
}

}  // namespace tablefix
