// The player's state at start-up: the day streak and its date files, damaged
// or missing files, the wallet, and the flags the table derives from them.
#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "game_fixture.h"
#include "random.h"
#include "test_state.h"

namespace {

using gamefix::Table;

TEST(Player, FirstStartWithoutFiles) {
    Table t;
    // Started when the timer stood at 12345.7 s: seeded with second 12345.
    scripted::advance(12345.7);
    scripted::setLocalTime(2026, 12, 7, 18, 30, 12);
    const sandbox::RunEnd end = sandbox::runGame(12346.7);
    ASSERT_FALSE(end.programEnded);
    EXPECT_EQ(t.playerFile("Login.dat"), "12-07-2026\r\n");
    EXPECT_EQ(t.playerFile("Login2.dat"), "12-07-2026\r\n");
    EXPECT_FALSE(t.hasPlayerFile("Secrets.dat"));
    EXPECT_FALSE(t.hasPlayerFile("Geldbeutel.dat"));
    EXPECT_FALSE(t.hasHere("Roulettezahlen.txt"));
    // The first draw of that seed, 214456958 / 2^32, makes 25 + 18.
    EXPECT_EQ(game::player.balance, 43u);
    EXPECT_EQ(game::player.dayGap, 0);
    EXPECT_EQ(game::player.startWeekday, 2);  // a Monday
    EXPECT_EQ(game::player.startHour, 18);
}

// The start money is drawn from the clock's seconds: over many starts it
// takes every amount from 25 to 400 and no other.
TEST(Player, StartMoneyCoversItsRange) {
    Table t;
    std::uint64_t lowest = ~0ULL, highest = 0;
    for (int second = 0; second < 5000; second++) {
        svc::seedRandom(second, svc::defaultGenerator);
        game::drawStartMoney();
        lowest = std::min(lowest, game::player.balance);
        highest = std::max(highest, game::player.balance);
    }
    EXPECT_EQ(lowest, 25u);
    EXPECT_EQ(highest, 400u);
}

TEST(Player, DayStreakAtStart) {
    const std::string today = "12-07-2026\r\n";
    const double far = 1e9;
    struct Case {
        const char* name;
        std::optional<std::string> login, login2;  // nullopt: missing
        std::string loginAfter, login2After;
        double gap;  // far: counted from a date of year 0
    } cases[] = {
        {"yesterday", "12-01-2026\r\n", "12-06-2026\r\n", "12-01-2026\r\n", "12-06-2026\r\n", 1},
        {"today", "12-01-2026\r\n", "12-07-2026\r\n", "12-01-2026\r\n", "12-07-2026\r\n", 0},
        {"clock set back a day", "12-01-2026\r\n", "12-08-2026\r\n", "12-01-2026\r\n", "12-08-2026\r\n", -1},
        {"two days ago", "12-01-2026\r\n", "12-05-2026\r\n", today, today, 2},
        {"two days ahead", "12-01-2026\r\n", "12-09-2026\r\n", today, today, -2},
        {"last year", "12-01-2025\r\n", "12-06-2025\r\n", today, today, 366},
        {"no line end", "12-01-2026", "12-06-2026", "12-01-2026", "12-06-2026", 1},
        {"second file missing", "12-01-2026\r\n", std::nullopt, today, today, far},
        {"second file empty", "12-01-2026\r\n", "", today, today, far},
        {"second file damaged", "12-01-2026\r\n", "\x01\x02\xff\r\n", today, today, far},
        {"first file missing", std::nullopt, "12-06-2026\r\n", today, today, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Table t;
        if (c.login) t.writePlayerFile("Login.dat", *c.login);
        if (c.login2) t.writePlayerFile("Login2.dat", *c.login2);
        t.start();
        EXPECT_EQ(t.playerFile("Login.dat"), c.loginAfter);
        EXPECT_EQ(t.playerFile("Login2.dat"), c.login2After);
        if (c.gap == far) {
            EXPECT_GT(game::player.dayGap, 700000);
        } else {
            EXPECT_EQ(game::player.dayGap, c.gap);
        }
    }
}

// A damaged first date would count a streak from nowhere and hand out the
// corner secret with the next game: it starts the streak again instead.
TEST(Player, DamagedFirstDateRestartsTheStreak) {
    const char* damaged[] = {"",
                             "\r\n",
                             "\x01\x02\xfe\xff",
                             "garbage\r\n",
                             "12-07\r\n",
                             "1-1-2026\r\n",
                             "00-00-0000\r\n",
                             "13-01-2026\r\n",
                             "02-29-2026\r\n",
                             "12-00-2026\r\n",
                             "01-01-0000\r\n"};
    for (const char* login : damaged) {
        SCOPED_TRACE(login);
        Table t;
        t.writePlayerFile("Login.dat", login);
        t.writePlayerFile("Login2.dat", "12-06-2026\r\n");
        t.start();
        EXPECT_EQ(t.playerFile("Login.dat"), "12-07-2026\r\n");
        EXPECT_EQ(t.playerFile("Login2.dat"), "12-07-2026\r\n");
        EXPECT_EQ(t.settle(37, 25, 20).boxes, std::vector<std::string>{gamefix::winText(0)});
        EXPECT_EQ(game::player.taskDone[13], 0);
        EXPECT_EQ(game::cornersUnlocked, 0);
    }
}

// A day counts only when a game was settled on it.
TEST(Player, StartWithoutAGameDoesNotMoveTheStreak) {
    Table t(2026, 12, 5, 20, 0, 0);
    t.start();
    t.settle(37, 25, 5);
    scripted::setLocalTime(2026, 12, 6, 20, 0, 0);
    t.start();
    EXPECT_EQ(t.playerFile("Login2.dat"), "12-05-2026\r\n");
    scripted::setLocalTime(2026, 12, 7, 20, 0, 0);
    t.start();
    EXPECT_EQ(game::player.dayGap, 2);
    EXPECT_EQ(t.playerFile("Login.dat"), "12-07-2026\r\n");
    // The next game saves the new streak length, 0.
    t.settle(37, 25, 5);
    EXPECT_EQ(gamefix::line(t.playerFile("Secrets.dat"), 13), " 0             0             0\r\n");
}

TEST(Player, NextDayCountsOnTheStreak) {
    Table t(2026, 12, 5, 20, 0, 0);
    t.start();
    t.settle(37, 25, 5);
    EXPECT_EQ(gamefix::line(t.playerFile("Secrets.dat"), 13), " 0             0             0\r\n");
    scripted::setLocalTime(2026, 12, 6, 9, 0, 0);
    t.start();
    t.settle(37, 25, 5);
    EXPECT_EQ(t.playerFile("Login.dat"), "12-05-2026\r\n");
    EXPECT_EQ(t.playerFile("Login2.dat"), "12-06-2026\r\n");
    EXPECT_EQ(gamefix::line(t.playerFile("Secrets.dat"), 13), " 0             1             0\r\n");
}

struct TaskRow {
    int done, progress, code;
};

TEST(Player, TaskFileAsRead) {
    const TaskRow zero{0, 0, 0};
    struct Case {
        const char* name;
        std::string bytes;
        std::vector<TaskRow> rows;  // tasks 1.., the rest all 0
    } cases[] = {
        {"empty", "", {}},
        {"binary", std::string("\x01\x02\xfe\xff\x00\x7f\x80", 7), {}},
        {"two lines",
         " 1             0             27406159\r\n 0             3             0\r\n",
         {{1, 0, 27406159}, {0, 3, 0}}},
        {"no line ends",
         " 1             0             27406159 0             3             0",
         {{1, 0, 27406159}, {0, 3, 0}}},
        {"commas and LF", "1,2,3\n4,5,6\n", {{1, 2, 3}, {4, 5, 6}}},
        {"negative", "-1,-2,-3\r\n", {{-1, -2, -3}}},
        {"words", "yes,no,maybe\r\n1,2,3\r\n", {zero, {1, 2, 3}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Table t;
        t.writePlayerFile("Secrets.dat", c.bytes);
        t.start(100, false);
        for (int i = 1; i <= 14; i++) {
            const TaskRow want = i <= static_cast<int>(c.rows.size()) ? c.rows[i - 1] : zero;
            EXPECT_EQ(game::player.taskDone[i], want.done) << "task " << i;
            EXPECT_EQ(game::player.taskProgress[i], want.progress) << "task " << i;
            EXPECT_EQ(game::player.taskCode[i], want.code) << "task " << i;
        }
        EXPECT_EQ(game::player.consecutiveWins, game::player.taskProgress[2]);
        EXPECT_EQ(game::player.gamesWon, game::player.taskProgress[4]);
    }
}

TEST(Player, OnlyFourteenTaskLinesAreRead) {
    Table t;
    std::string bytes;
    for (int i = 1; i <= 16; i++) bytes += " 0 " + std::to_string(i) + " 0\r\n";
    t.writePlayerFile("Secrets.dat", bytes);
    t.start();
    for (int i = 1; i <= 14; i++) EXPECT_EQ(game::player.taskProgress[i], i);
    EXPECT_EQ(game::player.consecutiveWins, 2);
    EXPECT_EQ(game::player.gamesWon, 4);
}

TEST(Player, WalletAsRead) {
    struct Case {
        const char* name;
        std::optional<std::string> bytes;
        std::uint64_t balance;  // with a start money of 123
    } cases[] = {
        {"missing", std::nullopt, 123},
        {"amount", "1000\r\n", 1000},
        {"no line end", "1000", 1000},
        {"beyond 32 bits", "100000000000\r\n", 100000000000ULL},
        {"zero", "0\r\n", 123},
        {"negative", "-5\r\n", 123},  // not a fortune of almost 2^64
        {"empty", "", 123},
        {"word", "Geld\r\n", 123},
        {"binary", std::string("\x01\x02\xfe\xff\x00\x7f", 6), 123},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Table t;
        if (c.bytes) t.writePlayerFile("Geldbeutel.dat", *c.bytes);
        t.start(123, false);
        EXPECT_EQ(game::player.balance, c.balance);
    }
}

TEST(Player, TableFlags) {
    struct Case {
        const char* name;
        std::vector<int> open;  // tasks not done
        int code1, code13;
        int chip100, corners, moneyMode;
    } cases[] = {
        {"all done", {}, 27406159, 638, 1, 1, 1},
        {"task 2 open", {2}, 27406159, 638, 1, 1, 0},
        {"task 14 open", {14}, 27406159, 638, 1, 1, 0},
        {"task 1 open", {1}, 0, 638, 0, 1, 0},
        {"task 1 done with a wrong code", {}, 27406158, 638, 0, 1, 1},
        {"task 13 done with a wrong code", {5}, 27406159, 0, 1, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Table t;
        t.writePlayerFile("Geldbeutel.dat", "500\r\n");
        t.start(123, false);
        gamefix::allTasksDone();
        for (int task : c.open) writable(game::player).taskDone[task] = 0;
        writable(game::player).taskCode[1] = c.code1;
        writable(game::player).taskCode[13] = c.code13;
        game::deriveTableFlags();
        EXPECT_EQ(game::chip100Unlocked, c.chip100);
        EXPECT_EQ(game::cornersUnlocked, c.corners);
        EXPECT_EQ(game::moneyMode, c.moneyMode);
        EXPECT_EQ(game::player.balance, c.moneyMode ? 500u : game::practiceBankroll);
    }
}

// Completing the last task does not switch the running table to real money.
TEST(Player, MoneyModeOnlyFromTheNextStart) {
    Table t(2026, 12, 7, 3, 30, 0);  // a Monday: task 14 comes with the first game
    std::string secrets = gamefix::allDoneSecrets;
    secrets.replace(secrets.rfind(" 1 "), 2, " 0");
    secrets.replace(secrets.rfind("26953"), 5, "0");
    t.writePlayerFile("Secrets.dat", secrets);
    t.writePlayerFile("Geldbeutel.dat", "300\r\n");
    t.start();
    ASSERT_EQ(game::moneyMode, 0);
    t.settle(39, 25, 1);
    EXPECT_EQ(game::player.taskDone[14], 1);
    EXPECT_EQ(game::moneyMode, 0);
    EXPECT_EQ(game::player.balance, game::practiceBankroll);
    t.settle(39, 25, 2);
    EXPECT_EQ(game::player.balance, game::practiceBankroll);
    EXPECT_EQ(t.playerFile("Geldbeutel.dat"), "300\r\n");

    t.start();
    EXPECT_EQ(game::moneyMode, 1);
    EXPECT_EQ(game::player.balance, 300u);
    t.settle(39, 25, 2);
    EXPECT_EQ(t.playerFile("Geldbeutel.dat"), "275\r\n");
}

}  // namespace
