// Settling a round: what every field pays on every number, how the balance is
// booked, the bytes of the player files afterwards, and the end of the money.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "game_fixture.h"
#include "test_state.h"

namespace {

using gamefix::Table;
using gamefix::winText;

// The table as a player reads it: the numbers each field stands for, and how
// 0 is treated (even, the first dozen and both trios take it).
struct FieldCase {
    int field;
    std::vector<int> numbers;
    int multiplier;
};

std::vector<FieldCase> payoutTable() {
    std::vector<FieldCase> t;
    for (int n = 0; n <= 36; n++) t.push_back({n, {n}, 36});
    const std::vector<FieldCase> others = {
        {37, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18}, 2},
        {38, {0, 2, 4, 6, 8, 10, 12, 14, 16, 18, 20, 22, 24, 26, 28, 30, 32, 34, 36}, 2},
        {39, {1, 3, 5, 7, 9, 12, 14, 16, 18, 19, 21, 23, 25, 27, 30, 32, 34, 36}, 2},
        {40, {2, 4, 6, 8, 10, 11, 13, 15, 17, 20, 22, 24, 26, 28, 29, 31, 33, 35}, 2},
        {41, {1, 3, 5, 7, 9, 11, 13, 15, 17, 19, 21, 23, 25, 27, 29, 31, 33, 35}, 2},
        {42, {19, 20, 21, 22, 23, 24, 25, 26, 27, 28, 29, 30, 31, 32, 33, 34, 35, 36}, 2},
        {43, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}, 3},
        {44, {13, 14, 15, 16, 17, 18, 19, 20, 21, 22, 23, 24}, 3},
        {45, {25, 26, 27, 28, 29, 30, 31, 32, 33, 34, 35, 36}, 3},
        {46, {1, 4, 7, 10, 13, 16, 19, 22, 25, 28, 31, 34}, 3},
        {47, {2, 5, 8, 11, 14, 17, 20, 23, 26, 29, 32, 35}, 3},
        {48, {3, 6, 9, 12, 15, 18, 21, 24, 27, 30, 33, 36}, 3},
        {49, {0, 1, 2}, 12},
        {50, {0, 2, 3}, 12},
        {51, {1, 2, 4, 5}, 9},
        {52, {2, 3, 5, 6}, 9},
        {53, {4, 5, 7, 8}, 9},
        {54, {5, 6, 8, 9}, 9},
        {55, {7, 8, 10, 11}, 9},
        {56, {8, 9, 11, 12}, 9},
        {57, {10, 11, 13, 14}, 9},
        {58, {11, 12, 14, 15}, 9},
        {59, {13, 14, 16, 17}, 9},
        {60, {14, 15, 17, 18}, 9},
        {61, {16, 17, 19, 20}, 9},
        {62, {17, 18, 20, 21}, 9},
        {63, {19, 20, 22, 23}, 9},
        {64, {20, 21, 23, 24}, 9},
        {65, {22, 23, 25, 26}, 9},
        {66, {23, 24, 26, 27}, 9},
        {67, {25, 26, 28, 29}, 9},
        {68, {26, 27, 29, 30}, 9},
        {69, {28, 29, 31, 32}, 9},
        {70, {29, 30, 32, 33}, 9},
        {71, {31, 32, 34, 35}, 9},
        {72, {32, 33, 35, 36}, 9},
        {73, {1, 2, 3, 4, 5, 6}, 6},
        {74, {4, 5, 6, 7, 8, 9}, 6},
        {75, {7, 8, 9, 10, 11, 12}, 6},
        {76, {10, 11, 12, 13, 14, 15}, 6},
        {77, {13, 14, 15, 16, 17, 18}, 6},
        {78, {16, 17, 18, 19, 20, 21}, 6},
        {79, {19, 20, 21, 22, 23, 24}, 6},
        {80, {22, 23, 24, 25, 26, 27}, 6},
        {81, {25, 26, 27, 28, 29, 30}, 6},
        {82, {28, 29, 30, 31, 32, 33}, 6},
        {83, {31, 32, 33, 34, 35, 36}, 6},
    };
    t.insert(t.end(), others.begin(), others.end());
    return t;
}

// A finished player in money mode: no task message gets in the way.
void moneyPlayer(std::uint64_t balance) {
    gamefix::allTasksDone();
    writable(game::player).streakStart = writable(game::player).lastPlayed = "12-07-2026";
    game::deriveTableFlags();
    writable(game::player).balance = balance;
    ASSERT_EQ(game::moneyMode, 1);
}

TEST(Settlement, EveryFieldOnEveryNumber) {
    const std::vector<FieldCase> table = payoutTable();
    ASSERT_EQ(table.size(), 84u);
    Table t;
    moneyPlayer(1000000);
    const int stake = 30;
    for (const FieldCase& c : table) {
        ASSERT_EQ(c.field, &c - table.data());
        for (int n = 0; n <= 36; n++) {
            SCOPED_TRACE("field " + std::to_string(c.field) + ", number " + std::to_string(n));
            const bool wins = std::find(c.numbers.begin(), c.numbers.end(), n) != c.numbers.end();
            const int paid = wins ? c.multiplier * stake : 0;
            const std::uint64_t before = game::player.balance;
            const gamefix::Outcome out = t.settle(c.field, stake, n);
            ASSERT_EQ(out.boxes, std::vector<std::string>{winText(paid)});
            // Paid on top of the stake; a lost stake is the only thing taken.
            ASSERT_EQ(game::player.balance, wins ? before + paid : before - stake);
        }
    }
}

TEST(Settlement, OnlyTheLastChoiceCarriesTheBet) {
    struct Case {
        const char* name;
        std::vector<int> choices;
        int number;
        int paid;  // with a stake of 25
    } cases[] = {
        {"number then red, number comes", {17, 39}, 17, 0},  // 17 is black: red loses, the straight is gone
        {"number then black", {17, 40}, 17, 50},
        {"red then number", {39, 17}, 17, 900},
        {"red then number, red comes", {39, 17}, 3, 0},
        {"number then other number", {17, 23}, 17, 0},
        {"six-line then number", {73, 5}, 5, 900},
        {"six-line then number, line comes", {73, 5}, 1, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Table t;
        moneyPlayer(1000);
        for (std::size_t i = 0; i + 1 < c.choices.size(); i++) game::chooseField(c.choices[i]);
        EXPECT_EQ(t.settle(c.choices.back(), 25, c.number).boxes, std::vector<std::string>{winText(c.paid)});
        EXPECT_EQ(game::player.balance, c.paid ? 1000u + c.paid : 975u);
    }
}

TEST(Settlement, BookingFollowsMoneyMode) {
    struct Case {
        const char* name;
        bool moneyMode;
        int field, stake, number;
        std::uint64_t balance;
        const char* wallet;  // after the settlement; nullptr: none
    } cases[] = {
        {"typed 1000 on black wins 2000", true, 40, 1000, 2, 3000, "3000\r\n"},
        {"lost bet costs the stake", true, 39, 50, 2, 950, "950\r\n"},
        {"practice: won", false, 39, 25, 1, game::practiceBankroll, nullptr},
        {"practice: lost", false, 39, 25, 2, game::practiceBankroll, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Table t;
        t.writePlayerFile("Login.dat", "12-07-2026\r\n");
        t.writePlayerFile("Login2.dat", "12-07-2026\r\n");
        if (c.moneyMode) {
            t.writePlayerFile("Secrets.dat", gamefix::allDoneSecrets);
            t.writePlayerFile("Geldbeutel.dat", "1000\r\n");
        }
        t.start();
        ASSERT_EQ(game::moneyMode, c.moneyMode ? 1 : 0);
        t.settle(c.field, c.stake, c.number);
        EXPECT_EQ(game::player.balance, c.balance);
        if (c.wallet) {
            EXPECT_EQ(t.playerFile("Geldbeutel.dat"), c.wallet);
        } else {
            EXPECT_FALSE(t.hasPlayerFile("Geldbeutel.dat"));
        }
        // Whatever the mode, the round leaves its trace.
        EXPECT_TRUE(t.hasPlayerFile("Secrets.dat"));
        EXPECT_TRUE(t.hasHere("Roulettezahlen.txt"));
    }
}

// A practice round leaves a stored wallet as it was, byte for byte.
TEST(Settlement, PracticeLeavesTheWalletAlone) {
    Table t;
    t.writePlayerFile("Geldbeutel.dat", "777");
    t.start();
    ASSERT_EQ(game::moneyMode, 0);
    t.settle(39, 25, 1);
    t.settle(39, 25, 2);
    EXPECT_EQ(t.playerFile("Geldbeutel.dat"), "777");
}

TEST(Settlement, FilesAfterASettlement) {
    Table t(2026, 12, 7, 18, 30, 12);
    // Yesterday's state of a finished player, written as the game writes it.
    t.writePlayerFile("Login.dat", "12-01-2026\r\n");
    t.writePlayerFile("Login2.dat", "12-06-2026\r\n");
    t.writePlayerFile("Secrets.dat",
                      " 1             0             27406159\r\n"
                      " 1             3             0\r\n"
                      " 1             5             6148\r\n"
                      " 1             60            0\r\n"
                      " 1             60            0\r\n"
                      " 1             7             0\r\n"
                      " 1             4             0\r\n"
                      " 1             0             3027\r\n"
                      " 1             0             4591\r\n"
                      " 1             3             0\r\n"
                      " 1             2             0\r\n"
                      " 1             0             1836\r\n"
                      " 1             5             638\r\n"
                      " 1             0             26953\r\n");
    t.writePlayerFile("Geldbeutel.dat", "1000\r\n");
    sandbox::writeFile(t.here("Roulettezahlen.txt"), " 17           12-06-2026    19:59:59\r\n");
    t.start();
    ASSERT_EQ(game::moneyMode, 1);
    ASSERT_EQ(game::player.balance, 1000u);

    const gamefix::Outcome won = t.settle(39, 25, 7);
    EXPECT_EQ(won.boxes, std::vector<std::string>{winText(50)});
    // All of it was on disk before the win showed.
    ASSERT_EQ(won.shown.size(), 1u);
    EXPECT_EQ(won.shown[0].playerFiles, t.playerFiles());
    EXPECT_EQ(won.shown[0].currentFiles, t.currentFiles());

    EXPECT_EQ(t.playerFile("Login.dat"), "12-01-2026\r\n");
    EXPECT_EQ(t.playerFile("Login2.dat"), "12-07-2026\r\n");
    EXPECT_EQ(t.playerFile("Secrets.dat"),
              " 1             0             27406159\r\n"
              " 1             4             0\r\n"
              " 1             5             6148\r\n"
              " 1             61            0\r\n"
              " 1             61            0\r\n"
              " 1             8             0\r\n"
              " 1             4             0\r\n"
              " 1             0             3027\r\n"
              " 1             0             4591\r\n"
              " 1             3             0\r\n"
              " 1             2             0\r\n"
              " 1             0             1836\r\n"
              " 1             6             638\r\n"
              " 1             0             26953\r\n");
    EXPECT_EQ(t.playerFile("Geldbeutel.dat"), "1050\r\n");
    EXPECT_EQ(t.hereFile("Roulettezahlen.txt"),
              " 17           12-06-2026    19:59:59\r\n"
              " 7            12-07-2026    18:30:12\r\n");

    // A loss on a two-digit number, a box later.
    const gamefix::Outcome lost = t.settle(39, 50, 20);
    EXPECT_EQ(lost.boxes, std::vector<std::string>{winText(0)});
    ASSERT_EQ(lost.shown.size(), 1u);
    EXPECT_EQ(lost.shown[0].playerFiles, t.playerFiles());
    EXPECT_EQ(lost.shown[0].currentFiles, t.currentFiles());
    EXPECT_EQ(t.playerFile("Geldbeutel.dat"), "1000\r\n");
    EXPECT_EQ(t.hereFile("Roulettezahlen.txt"),
              " 17           12-06-2026    19:59:59\r\n"
              " 7            12-07-2026    18:30:12\r\n"
              " 20           12-07-2026    18:30:13\r\n");
}

TEST(Settlement, TooLittleMoneyEndsTheGame) {
    struct Case {
        const char* name;
        std::uint64_t balance;
        int stake;
        bool ends;
    } cases[] = {
        {"24 left", 49, 25, true},
        {"nothing left", 25, 25, true},
        {"25 left", 50, 25, false},
        {"typed stake leaves 24", 1024, 1000, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Table t;
        t.writePlayerFile("Geldbeutel.dat", std::to_string(c.balance) + "\r\n");
        t.writePlayerFile("Secrets.dat", gamefix::allDoneSecrets);
        t.start();
        ASSERT_EQ(game::player.balance, c.balance);
        const gamefix::Outcome out = t.settle(40, c.stake, 1);
        const std::uint64_t left = c.balance - static_cast<std::uint64_t>(c.stake);
        // The win shows the balance already saved, and the round recorded.
        ASSERT_FALSE(out.shown.empty());
        EXPECT_EQ(gamefix::file(out.shown[0].playerFiles, "Geldbeutel.dat"), std::to_string(left) + "\r\n");
        EXPECT_EQ(gamefix::file(out.shown[0].currentFiles, "Roulettezahlen.txt").value_or("").substr(0, 3), " 1 ");
        if (c.ends) {
            EXPECT_TRUE(out.ended);
            EXPECT_EQ(out.status, 0);
            EXPECT_EQ(out.boxes, (std::vector<std::string>{winText(0), gamefix::lowMoneyText}));
            // Gone before the player reads that the money is gone.
            EXPECT_EQ(gamefix::file(out.shown.back().playerFiles, "Geldbeutel.dat"), std::nullopt);
            EXPECT_FALSE(t.hasPlayerFile("Geldbeutel.dat"));
        } else {
            EXPECT_FALSE(out.ended);
            EXPECT_EQ(out.boxes, std::vector<std::string>{winText(0)});
            EXPECT_EQ(t.playerFile("Geldbeutel.dat"), std::to_string(left) + "\r\n");
        }
        // The round was recorded before the end came.
        EXPECT_EQ(t.hereFile("Roulettezahlen.txt").substr(0, 3), " 1 ");
    }
}

// After the end of the money, the next start draws new start money.
TEST(Settlement, NextStartAfterTheMoneyRanOut) {
    Table t;
    t.writePlayerFile("Geldbeutel.dat", "30\r\n");
    t.writePlayerFile("Secrets.dat", gamefix::allDoneSecrets);
    t.start();
    ASSERT_TRUE(t.settle(40, 25, 1).ended);
    t.start(321);
    EXPECT_EQ(game::player.balance, 321u);
}

TEST(Settlement, ResetClearsTheRound) {
    Table t;
    moneyPlayer(500);
    t.settle(17, 25, 17);
    EXPECT_EQ(game::fieldBet.fieldChosen, 0);
    EXPECT_EQ(game::fieldBet.chosenField, -1);
    EXPECT_EQ(game::fieldBet.chosenNumber, -1);
    EXPECT_EQ(game::stakeBet.stake, 0);
    EXPECT_EQ(game::stakeBet.chipActive[game::chip25], 0);
    EXPECT_EQ(game::winningNumber, -1);
    EXPECT_EQ(game::roundWin, 0);
    // The mark of the last field stays until the next choice.
    EXPECT_EQ(game::fieldBet.betMarks[17], 1.0);
    EXPECT_EQ(game::player.balance, 1400u);
}

}  // namespace
