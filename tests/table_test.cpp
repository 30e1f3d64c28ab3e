// The table screen as the whole program shows it: the set-up, a field and
// the stake entry chosen with the mouse and keys, and the ways it ends.
#include <string>

#include "game_fixture.h"
#include "table_fixture.h"

namespace {

using namespace tablefix;

struct Panel {
    int x1, y1, x2, y2;
    std::vector<int> textRows;  // rows whose cells are checked as text instead
};

const Panel firstStatus{27, 420, 296, 439, {54}};
const Panel secondStatus{27, 450, 296, 469, {58}};
const Panel startButton{27, 580, 138, 630, {75, 77}};
const Panel balanceLine{27, 545, 296, 564, {70}};
const Panel stakeLine{139, 483, 296, 502, {62}};

// White top and left edges, grey bottom and right edges (the corners but the
// top left one grey), black inside outside the text rows.
void expectPanel(const Frame& f, const Panel& p) {
    int wrong = 0;
    for (int x = p.x1; x < p.x2; x++) wrong += f.at(x, p.y1) != white;
    for (int y = p.y1; y < p.y2; y++) wrong += f.at(p.x1, y) != white;
    for (int x = p.x1; x <= p.x2; x++) wrong += f.at(x, p.y2) != grey;
    for (int y = p.y1; y <= p.y2; y++) wrong += f.at(p.x2, y) != grey;
    EXPECT_EQ(wrong, 0) << "edge pixels of the panel at " << p.x1 << "," << p.y1;
    int lit = 0;
    for (int y = p.y1 + 1; y < p.y2; y++) {
        bool text = false;
        for (int r : p.textRows) text = text || (y >= 8 * r - 8 && y <= 8 * r - 1);
        if (text) continue;
        for (int x = p.x1 + 1; x < p.x2; x++) lit += f.at(x, y) != 0;
    }
    EXPECT_EQ(lit, 0) << "lit pixels inside the panel at " << p.x1 << "," << p.y1;
}

TEST(TableScreenTest, SetUpWithPracticeMoney) {
    const RunResult r = runTable(2.0);
    ASSERT_FALSE(r.end.programEnded);
    ASSERT_EQ(r.frame.width, 930);
    ASSERT_EQ(r.frame.height, 647);
    for (const Panel& p : {firstStatus, secondStatus, startButton, balanceLine, stakeLine}) expectPanel(r.frame, p);
    EXPECT_EQ(r.frame.text(54, 5, 32, cyan), std::string(32, ' '));
    EXPECT_EQ(r.frame.text(58, 5, 32, cyan), "Machen sie bitte ihr Spiel!     ");
    EXPECT_EQ(r.frame.text(62, 19, 18, green), "Einsatz:          ");
    EXPECT_EQ(r.frame.text(75, 5, 13, cyan), "Roulettekugel");
    EXPECT_EQ(r.frame.text(77, 8, 7, cyan), "starten");
    // Without money mode the balance line stays an empty panel.
    EXPECT_EQ(r.frame.text(70, 5, 32, green), std::string(32, ' '));
    // The chips lie where their rings go, with no ring drawn yet.
    for (int cx : {26, 66, 106}) EXPECT_NE(r.frame.at(cx - 18, 496), white) << cx;
}

TEST(TableScreenTest, SetUpInMoneyModeShowsTheBalance) {
    const RunResult r = runTable(2.0, [] {}, "375\r\n");
    expectPanel(r.frame, balanceLine);
    EXPECT_EQ(r.frame.text(70, 5, 32, green), "Guthaben: 375 Euro              ");
}

TEST(TableScreenTest, OnlyTheLeftButtonAloneChoosesAField) {
    const Rect seventeen = shippedLayout()[17];
    for (int buttons : {1, 3}) {
        SCOPED_TRACE(buttons);
        const RunResult r = runTable(2.0, [&] {
            scripted::mouseAt(1.0, seventeen.cx(), seventeen.cy(), buttons);
            scripted::mouseAt(1.5, seventeen.cx(), seventeen.cy(), 0);
        });
        if (buttons == 1) {
            EXPECT_EQ(r.bet.chosenField, 17);
            EXPECT_EQ(r.frame.text(58, 5, 33, cyan), "auf die 17 gesetzt               ");
        } else {
            EXPECT_EQ(r.bet.fieldChosen, 0);
            EXPECT_EQ(r.frame.text(58, 5, 32, cyan), "Machen sie bitte ihr Spiel!     ");
        }
    }
}

// A tap as short as a touchpad's, at every phase of the screens' looks at the
// mouse (idle table passes pause 20 ms, the statistics screen looks every
// 100 ms): each one must take effect.
TEST(TableScreenTest, ShortTapsAreNeverLost) {
    constexpr double tap = 0.005;
    constexpr int tries = 20;
    constexpr double phaseStep = 0.0053;  // 20 taps over 106 ms
    const gamefix::InMemory inMemory;     // twenty settled rounds
    const Rect seventeen = shippedLayout()[17];
    const auto staked500 = [](const RunResult& r) {
        return r.bet.stake == 500 && r.frame.text(54, 5, 32, cyan) == "Sie haben 500 Euro              ";
    };
    const struct {
        const char* name;
        int x, y;
        double at;            // the first tap; later ones a phase step on
        const char* wallet;   // money mode with this wallet
        void (*before)();     // what the player did first
        void (*after)(double tapped);
        bool (*tookEffect)(const RunResult&);
        double runFor;
    } cases[] = {
        {"chip", 26, 496, 1.0, "", [] {}, [](double) {},
         [](const RunResult& r) { return r.bet.chipActive[game::chip25] == 1; }, 1.5},
        // Each look at the window costs 3 ms, as under load: 87 passes take
        // longer than the hold would last on the clock.
        {"chip, busy machine", 26, 496, 1.0, "", [] { scripted::setPollCost(0.003); }, [](double) {},
         [](const RunResult& r) { return r.bet.chipActive[game::chip25] == 1; }, 3.0},
        {"number", seventeen.cx(), seventeen.cy(), 1.0, "", [] {}, [](double) {},
         [](const RunResult& r) { return r.bet.chosenField == 17; }, 1.5},
        {"start button", 80, 605, 1.4, "",
         [] {
             clickAt(1.0, shippedLayout()[17]);
             clickAt(1.2, 26, 496);
         },
         [](double) {}, [](const RunResult& r) { return r.history && !r.boxes.empty(); }, 45},
        // The entry ends once the amount is typed, and does not open again,
        // even when the amount came before the tap's hold would have ended.
        {"stake line", 200, 492, 1.0, "375\r\n", [] {},
         [](double tapped) { scripted::keyAt(tapped + 0.3, "500\r"); }, staked500, 2.0},
        {"stake line, typed at once", 200, 492, 1.0, "375\r\n", [] {},
         [](double tapped) { scripted::keyAt(tapped + 0.05, "500\r"); }, staked500, 2.0},
    };
    for (const auto& c : cases) {
        int tookEffect = 0;
        for (int i = 0; i < tries; i++) {
            const double at = c.at + i * phaseStep;
            const RunResult r = runTable(c.runFor, [&] {
                c.before();
                scripted::mouseAt(at, c.x, c.y, 1);
                scripted::mouseAt(at + tap, c.x, c.y, 0);
                c.after(at);
            }, c.wallet);
            tookEffect += !r.end.programEnded && c.tookEffect(r);
        }
        EXPECT_EQ(tookEffect, tries) << c.name;
    }
    int opened = 0;
    for (int i = 0; i < tries; i++) {
        sandbox::Sandbox box;
        scripted::mouseAt(1.0 + i * phaseStep, 300, 350, 1);
        scripted::mouseAt(1.0 + i * phaseStep + tap, 300, 350, 0);
        sandbox::runGame(1.5);
        opened += scripted::windowWidth() == 930;
    }
    EXPECT_EQ(opened, tries) << "statistics panel";
    inMemory.restore();
}

TEST(TableScreenTest, TwentyFiveChipShowsItsRingAndMessage) {
    const RunResult r = runTable(2.0, [] { clickAt(1.0, 26, 496); });
    EXPECT_EQ(r.bet.chipActive[game::chip25], 1);
    EXPECT_EQ(r.frame.at(8, 496), white);
    EXPECT_EQ(r.frame.at(44, 496), white);
    EXPECT_EQ(r.frame.text(54, 5, 32, cyan), "Sie haben 25 Euro               ");
}

TEST(StakeEntryTest, LimitsThenThePlainWhiteEcho) {
    const auto typing = [] {
        clickAt(1.0, 200, 492);
        scripted::keyAt(1.3, "500");
    };
    const RunResult r = runTable(1.6, typing, "375\r\n");
    EXPECT_EQ(r.frame.text(54, 5, 27, cyan), "Limits: Min = 25 Max = 1000");
    EXPECT_EQ(r.frame.text(62, 19, 9, green), "Einsatz: ");
    EXPECT_EQ(r.frame.text(62, 28, 3, plainWhite), "500");

    const RunResult entered = runTable(2.0, [&] {
        typing();
        scripted::keyAt(1.5, "\r");
    }, "375\r\n");
    EXPECT_EQ(entered.bet.typedStakeActive, 1);
    EXPECT_EQ(entered.bet.stake, 500);
    EXPECT_EQ(entered.frame.text(54, 5, 32, cyan), "Sie haben 500 Euro              ");
}

TEST(StakeEntryTest, ClosingTheWindowWhileTypingEnds) {
    const RunResult r = runTable(5.0, [] {
        clickAt(1.0, 200, 492);
        scripted::keyAt(1.3, "50");
        scripted::closeAt(1.6);
    }, "375\r\n");
    EXPECT_TRUE(r.end.programEnded);
    EXPECT_EQ(r.end.status, 0);
    EXPECT_NEAR(r.clock, 1.6, 0.05);
    EXPECT_EQ(r.wallet, "375\r\n");
    EXPECT_FALSE(r.history);
}

TEST(TableEndTest, EscapeAtOnceOtherKeysAndCloseAfterAPause) {
    // A held key is seen at the next pass; a typed key or the close button
    // wakes an idle pass at once, whenever it comes.
    const struct {
        const char* name;
        void (*script)(double at);
        double endsAfter, within;
    } cases[] = {
        {"Escape", [](double at) { scripted::holdKey(1, at, at + 1.0); }, 0.0, 0.02},
        {"a key", [](double at) { scripted::keyAt(at, "x"); }, 0.1, 0.002},
        {"close", [](double at) { scripted::closeAt(at); }, 0.1, 0.002},
    };
    for (const auto& c : cases) {
        for (double at = 2.0; at < 2.02; at += 0.0037) {
            SCOPED_TRACE(std::string(c.name) + " at " + std::to_string(at));
            const RunResult r = runTable(5.0, [&] { c.script(at); });
            EXPECT_TRUE(r.end.programEnded);
            EXPECT_EQ(r.end.status, 0);
            EXPECT_GE(r.clock, at + c.endsAfter);
            EXPECT_LE(r.clock, at + c.endsAfter + c.within);
            EXPECT_FALSE(r.tasks);
            EXPECT_FALSE(r.history);
        }
    }
}

}  // namespace
