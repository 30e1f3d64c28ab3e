// The spin: how far and how long the ball runs, where it stops and what it
// leaves on the screen; the croupier's timer; Escape during a spin.
#include <cmath>
#include <cstdint>

#include "table_fixture.h"
#include "test_state.h"

namespace {

using namespace tablefix;

// The numbers of the pockets, counter-clockwise from the zero at the top.
constexpr int pocketNumber[37] = {0,  26, 3, 35, 12, 28, 7,  29, 18, 22, 9,  31, 14, 20, 1, 33, 16, 24, 5,
                                  10, 23, 8, 30, 11, 36, 13, 27, 6,  34, 17, 25, 2,  21, 4, 19, 15, 32};

// The draws of the fast generator seeded with a whole second.
struct Draws {
    float speed;  // the spin's first draw, as the spin keeps it
    int pocket;   // the first spin's start pocket from the second draw
};

Draws drawsFor(std::uint32_t seed) {
    const std::uint32_t x1 = seed * 1664525u + 1013904223u;
    const std::uint32_t x2 = x1 * 1664525u + 1013904223u;
    return {static_cast<float>(x1 / 4294967296.0 * 37 + 111), static_cast<int>(std::floor(x2 / 4294967296.0 * 37))};
}

// Seconds a spin of this speed waits from its first step to its end.
double spinSeconds(float speed) {
    int ms = 10;
    for (float s = speed; s - 1 > 0; s -= 1) ms += static_cast<int>(std::nearbyint(450.0 - 3.0 * s));
    return ms / 1000.0;
}

class SpinTest : public TableTest {
protected:
    // Runs one spin with the timer's whole seconds at `seed`; its length.
    double spin(std::uint32_t seed) {
        clockAtSecond(seed);
        const double t0 = scripted::now();
        game::startBall();
        return scripted::now() - t0;
    }
};

TEST_F(SpinTest, StepsFollowTheInitialSpeed) {
    // Seeds whose first draw gives the speeds 111.0, 111.0001 and 148.0.
    const struct {
        std::uint32_t seed;
        int start;
        int steps;
    } cases[] = {
        {9474238, 5, 111}, {3129290, 5, 112}, {244519, 5, 148}, {9474238, 36, 111}, {3129290, 36, 112},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "seed " << c.seed << " start " << c.start);
        writable(game::ball).firstSpinPending = 0;
        writable(game::ball).ballPocket = c.start;
        const float speed = drawsFor(c.seed).speed;
        const double seconds = spin(c.seed);
        const int end = (c.start + c.steps) % 37;
        EXPECT_EQ(game::ball.ballPocket, end);
        EXPECT_EQ(game::winningNumber, pocketNumber[end]);
        EXPECT_NEAR(seconds, spinSeconds(speed), 0.002);
        EXPECT_GE(seconds, 30.8);
        EXPECT_LE(seconds, 33.1);
        const Frame f = buffer();
        EXPECT_EQ(discPixels(f, pocketCentreX(end), pocketCentreY(end), white), 89);
    }
}

// Speeds a hair off a sixth: 3 x speed rounded to single precision lands on
// a half and every delay of the spin comes out 1 ms off, about 55 ms a spin.
TEST_F(SpinTest, EachDelayIsRoundedFromTheExactProduct) {
    for (std::uint32_t seed : {26391u, 29227u}) {
        SCOPED_TRACE(seed);
        writable(game::ball).firstSpinPending = 0;
        EXPECT_NEAR(spin(seed), spinSeconds(drawsFor(seed).speed), 0.002);
    }
}

TEST_F(SpinTest, FirstSpinStartsFromARandomPocketWithoutErasing) {
    const Frame before = buffer();
    for (std::uint32_t seed : {1u, 1000u, 123456u, 4000000000u}) {
        SCOPED_TRACE(seed);
        reopenTable();
        const Draws d = drawsFor(seed);
        spin(seed);
        const int end = (d.pocket + static_cast<int>(std::ceil(d.speed))) % 37;
        EXPECT_EQ(game::ball.ballPocket, end);
        EXPECT_EQ(game::ball.firstSpinPending, 0);
        // No ball was there to erase: nothing grey around the origin.
        const Frame after = buffer();
        for (auto [x, y] : {std::pair{5, 0}, {0, 5}, {4, 3}, {3, 4}}) EXPECT_EQ(after.at(x, y), before.at(x, y));
    }
}

TEST_F(SpinTest, LaterSpinsGoOnFromTheLastPocketAndEraseTheOldBall) {
    spin(1000);
    const int first = game::ball.ballPocket;
    // 112 steps: one pocket further on.
    spin(3129290);
    const int second = game::ball.ballPocket;
    EXPECT_EQ(second, (first + 112) % 37);
    const Frame f = buffer();
    for (int p = 0; p < 37; p++) {
        const int x = pocketCentreX(p), y = pocketCentreY(p);
        EXPECT_EQ(discPixels(f, x, y, p == second ? white : grey), 89) << "pocket " << p;
    }
}

TEST_F(SpinTest, EscapeDuringTheSpinEndsTheProgram) {
    clockAtSecond(1000);
    scripted::holdKey(1, scripted::now() + 5, scripted::now() + 6);
    try {
        game::startBall();
        FAIL() << "the spin ran to its end";
    } catch (const scripted::ProgramEnded& e) {
        EXPECT_EQ(e.status, 0);
    }
    EXPECT_EQ(game::winningNumber, -1);
}

// The croupier, watched through whole runs of the program. Runs are
// repeatable, so a run stopped earlier shows the state of a later one then.
TEST(CroupierTest, SpinsThreeToThirtySecondsAfterOpeningThenEveryTenToSixty) {
    const double first = runTable(1.0).deadline;
    // Seeded with second 0, after the start money: the second draw of that
    // seed, 1413209507 / 2^32, makes 3 + 9 seconds from the end of the
    // table's set-up, a few milliseconds after the click.
    EXPECT_NEAR(first - tableOpens, 12.0, 0.05);

    EXPECT_EQ(runTable(first - 0.01).ball.ballX, 0) << "spun early";

    const RunResult spinning = runTable(first + 0.2);
    EXPECT_NE(spinning.ball.ballX, 0) << "did not spin";
    EXPECT_EQ(spinning.frame.text(54, 5, 21, cyan), "Rien ne va plus!     ");
    EXPECT_EQ(spinning.frame.text(58, 5, 22, cyan), "Nichts geht mehr!     ");

    // After the spin (at most 33.2 s) and before the next (at least 10 s later).
    const RunResult after = runTable(first + 40.5);
    EXPECT_EQ(after.frame.text(58, 5, 32, cyan), "Machen sie bitte ihr Spiel!     ");
    EXPECT_EQ(after.frame.text(54, 5, 21, cyan), std::string(21, ' '));
    const double next = after.deadline - first;
    EXPECT_GE(next, 30.8 + 10);
    EXPECT_LE(next, 33.2 + 61);
    // Without a bet nothing is settled or written.
    EXPECT_TRUE(after.boxes.empty());
    EXPECT_FALSE(after.history);
    EXPECT_FALSE(after.tasks);
}

TEST(CroupierTest, AnIdleTableWakesOnlyForEventsAndHisDeadline) {
    // Runs are repeatable: the wake-ups between two stops are the difference.
    const double first = runTable(1.0).deadline;
    const double from = 2.0, to = first - 0.01;
    const auto wakeUps = [](double stop, auto script) {
        runTable(stop, script);
        return scripted::wakeUps();
    };
    const int alone = wakeUps(to, [] {}) - wakeUps(from, [] {});
    // One a second at most: the cap on a wait that nothing ends.
    EXPECT_LE(alone, static_cast<int>(to - from) + 1);
    const auto moves = [] {
        for (double t : {3.0, 5.5, 7.25}) scripted::mouseAt(t, 600, 600, 0);
    };
    EXPECT_LE(wakeUps(to, moves) - wakeUps(from, moves), alone + 3);
    // Sleeping until his deadline, the croupier is not late.
    EXPECT_NE(runTable(first + 0.002).ball.ballX, 0) << "the croupier spun late";
}

TEST(CroupierTest, AReadyBetOnlyMovesHisDeadline) {
    const std::vector<Rect> layout = shippedLayout();
    const double first = runTable(1.0).deadline;
    const auto bet = [&] {
        clickAt(1.0, layout[17]);
        clickAt(1.5, layout[84]);
    };
    const RunResult waited = runTable(first + 200, bet);
    EXPECT_EQ(waited.ball.ballX, 0) << "the croupier spun over a ready bet";
    EXPECT_GT(waited.deadline, waited.clock - 0.1);
    EXPECT_LT(waited.deadline, waited.clock + 61);
    EXPECT_EQ(waited.fieldBet.fieldChosen, 1);
    EXPECT_EQ(waited.stakeBet.chipActive[game::chip25], 1);

    // A field without a stake is no bet: he spins and clears it.
    const RunResult cleared = runTable(first + 0.2, [&] { clickAt(1.0, layout[17]); });
    EXPECT_NE(cleared.ball.ballX, 0);
    EXPECT_EQ(cleared.fieldBet.fieldChosen, 0);
    EXPECT_EQ(cleared.fieldBet.chosenField, -1);
    EXPECT_EQ(cleared.fieldBet.chosenNumber, -1);
}

TEST(PlayerSpinTest, EscapeDuringThePlayersSpinWritesNothing) {
    const std::vector<Rect> layout = shippedLayout();
    const auto bet = [&] {
        clickAt(1.0, layout[17]);
        clickAt(1.5, layout[84]);
        clickAt(2.0, 80, 605);
    };
    // Left alone, the spin is settled when it ends, 31 to 33 s later.
    const RunResult played = runTable(45, bet);
    std::size_t win = 0;
    while (win < played.boxes.size() && played.boxes[win].text.rfind("Ihr Gewinn ist: ", 0) != 0) win++;
    ASSERT_LT(win, played.boxes.size());
    // Task messages before it each keep the player a second.
    const double spun = played.boxes[win].time - 2.0 - static_cast<double>(win);
    EXPECT_GE(spun, 30.8);
    EXPECT_LE(spun, 33.2);
    EXPECT_TRUE(played.history);

    const RunResult escaped = runTable(40, [&] {
        bet();
        scripted::holdKey(1, 20, 21);
    });
    EXPECT_TRUE(escaped.end.programEnded);
    EXPECT_EQ(escaped.end.status, 0);
    EXPECT_NEAR(escaped.clock, 20, 0.5);
    EXPECT_NE(escaped.ball.ballX, 0);
    EXPECT_TRUE(escaped.boxes.empty());
    EXPECT_FALSE(escaped.history);
    EXPECT_FALSE(escaped.tasks);
}

}  // namespace
