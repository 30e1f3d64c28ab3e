// The fourteen tasks as settlements count and complete them: their messages
// byte for byte, the order of the messages, the secrets and the final reward.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "game_fixture.h"
#include "tasks.h"
#include "test_state.h"

namespace {

using gamefix::Table;
using gamefix::winText;
using Boxes = std::vector<std::string>;

const std::string solved = "Folgende Aufgabe wurde erfolgreich gel\xF6st: \r\n";
const std::string message1 = "Sie haben ein Secret aktiviert!\r\nSie k\xF6nnen nun auch mit 100 \x80 Chips spielen!";
const std::string message13 =
    "Sie haben ein Secret aktiviert!\r\nSie k\xF6nnen nun auch auf 4 benachbarte Zahlen setzen!";
const std::string password =
    "Das Passwort f\xFCr den Quellcode lautet: 7dKwB58\r\n"
    "Dieser befindet sich in der Worddatei mit dem Namen Code.doc!";

std::string message(int task) {
    switch (task) {
        case 1: return message1;
        case 2: return solved + "<5 Spiele in Folge gewonnen>";
        case 3: return solved + "<Setze auf 1. oder 2. oder 3. Kolonne und gewinne 3 Spiele>";
        case 4: return solved + "<Gewinne 10 Roulettespiele>";
        case 5: return solved + "<Gewinne 50 Roulettespiele>";
        case 6: return solved + "<Setze auf Rot und gewinne 5 Spiele>";
        case 7: return solved + "<Gewinne 3 Spiele mit einem Einsatz von 100 \x80>";
        case 8: return solved + "<Setze auf 4 benachbarte Zahlen und gewinne 1 Spiel>";
        case 9: return solved + "<Setze auf die Zahlen 0, 1 und 2 und gewinne 1 Spiel>";
        case 10: return solved + "<Setze einen Betrag auf gerade Zahlen und gewinne 3 Spiele>";
        case 11:
            return solved +
                   "<Setze einen Betrag auf gro\xDF"
                   "e H\xE4lfte und gewinne 2 Spiele>";
        case 12: return solved + "<Gewinne auf einen Schlag 3600 \x80>";
        case 13: return message13;
        case 14: return solved + "<Spiele unter der Woche zwischen 3:00 Uhr und 4:00 Uhr>";
    }
    return "";
}

const std::int32_t checkValues[15] = {0, 27406159, 0, 6148, 0, 0, 0, 0, 3027, 4591, 0, 0, 1836, 638, 26953};

// A practice table on 7 December 2026 (a Monday) at noon, streak begun today.
struct PracticeTable : Table {
    PracticeTable() {
        writePlayerFile("Login.dat", "12-07-2026\r\n");
        writePlayerFile("Login2.dat", "12-07-2026\r\n");
        start();
    }
};

TEST(Tasks, EachTaskCompletesWithItsMessage) {
    struct Case {
        int task;
        std::function<void()> prepare;
        int field, stake, number, paid;
    } cases[] = {
        {1, [] {}, 0, 25, 0, 900},
        {2, [] { writable(game::player).consecutiveWins = 4; }, 37, 25, 5, 50},
        {3, [] { writable(game::player).taskProgress[3] = 2; }, 46, 25, 1, 75},
        {4, [] { writable(game::player).gamesWon = 9; }, 37, 25, 5, 50},
        {5, [] { writable(game::player).gamesWon = 49; }, 37, 25, 5, 50},
        {6, [] { writable(game::player).taskProgress[6] = 4; }, 39, 25, 1, 50},
        {7, [] { writable(game::player).taskProgress[7] = 2; }, 37, 100, 5, 200},
        {8, [] {}, 51, 25, 1, 225},
        {9, [] {}, 49, 25, 0, 300},
        {10, [] { writable(game::player).taskProgress[10] = 2; }, 38, 25, 2, 50},
        {11, [] { writable(game::player).taskProgress[11] = 1; }, 42, 25, 19, 50},
        {12, [] {}, 17, 100, 17, 3600},
        // The day streak and the weekday need no win.
        {13, [] { writable(game::player).streakStart = "11-30-2026"; }, 37, 25, 20, 0},
        {14, [] { writable(game::player).startWeekday = 2, writable(game::player).startHour = 3; }, 37, 25, 20, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("task " + std::to_string(c.task));
        PracticeTable t;
        gamefix::allTasksDone();
        writable(game::player).taskDone[c.task] = 0;
        writable(game::player).taskCode[c.task] = 0;
        c.prepare();
        EXPECT_EQ(t.settle(c.field, c.stake, c.number).boxes, (Boxes{message(c.task), winText(c.paid)}));
        EXPECT_EQ(game::player.taskDone[c.task], 1);
        EXPECT_EQ(game::player.taskCode[c.task], checkValues[c.task]);
        // Done is done: the same round again shows only the win.
        c.prepare();
        EXPECT_EQ(t.settle(c.field, c.stake, c.number).boxes, Boxes{winText(c.paid)});
    }
}

TEST(Tasks, MessagesOfOneSettlementComeInOrder) {
    PracticeTable t;
    writable(game::player).consecutiveWins = 4;
    writable(game::player).gamesWon = 9;
    writable(game::player).taskProgress[7] = 2;
    writable(game::player).streakStart = "11-30-2026";
    writable(game::player).startWeekday = 6;
    writable(game::player).startHour = 4;
    EXPECT_EQ(t.settle(0, 100, 0).boxes, (Boxes{message(1), message(12), message(2), message(4), message(7),
                                                message(13), message(14), winText(3600)}));
}

TEST(Tasks, ColumnBetsCountTowardsTaskThree) {
    PracticeTable t;
    struct Step {
        int number;
        Boxes boxes;
        const char* line3;  // of the task file afterwards
    } steps[] = {
        {1, {winText(75)}, " 0             1             6148\r\n"},
        {2, {winText(0)}, " 0             1             6148\r\n"},
        {4, {winText(75)}, " 0             2             6148\r\n"},
        {7, {message(3), winText(75)}, " 1             3             6148\r\n"},
        {10, {winText(75)}, " 1             4             6148\r\n"},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(s.number);
        EXPECT_EQ(t.settle(46, 25, s.number).boxes, s.boxes);
        EXPECT_EQ(gamefix::line(t.playerFile("Secrets.dat"), 3), s.line3);
    }
}

// W: a won round, L: a lost one, R: the program started again from its files.
TEST(Tasks, FiveWinsInARowAcrossRuns) {
    struct Case {
        const char* script;
        int messageAt;  // index in the script of the round that completes task 2, -1 for none
        int consecutive;
    } cases[] = {
        {"WWWRWW", 5, 5},    {"WWRWWW", 5, 5},    {"WWWWLRW", -1, 1},
        {"WWLRWWWW", -1, 4}, {"WWLRWWWWW", 8, 5}, {"WWWWWW", 4, 6},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.script);
        PracticeTable t;
        const std::string script = c.script;
        for (std::size_t i = 0; i < script.size(); i++) {
            if (script[i] == 'R') {
                t.start();
                continue;
            }
            const bool win = script[i] == 'W';
            const Boxes boxes = t.settle(37, 25, win ? 5 : 20).boxes;
            const Boxes expected =
                static_cast<int>(i) == c.messageAt ? Boxes{message(2), winText(50)} : Boxes{winText(win ? 50 : 0)};
            EXPECT_EQ(boxes, expected) << "round " << i;
        }
        EXPECT_EQ(game::player.taskProgress[2], c.consecutive);
    }
}

TEST(Tasks, WinCountersKeepCountingAfterCompletion) {
    struct Case {
        const char* name;
        int field, stake, number;
        std::vector<int> grown;  // tasks whose counter rose by one
    } cases[] = {
        {"red with 100", 39, 100, 1, {6, 7}},  {"even", 38, 25, 2, {10}},
        {"high half", 42, 50, 36, {11}},       {"column", 48, 25, 3, {3}},
        {"lost red with 100", 39, 100, 2, {}}, {"low half", 37, 25, 1, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        PracticeTable t;
        gamefix::allTasksDone();
        const int counted[] = {3, 6, 7, 10, 11};
        for (int task : counted) writable(game::player).taskProgress[task] = 40;
        t.settle(c.field, c.stake, c.number);
        for (int task : counted) {
            const bool grown = std::find(c.grown.begin(), c.grown.end(), task) != c.grown.end();
            EXPECT_EQ(game::player.taskProgress[task], grown ? 41 : 40) << "task " << task;
        }
    }
}

TEST(Tasks, SingleWinOf3600) {
    struct Case {
        int field, stake, number, paid;
        bool completes;
    } cases[] = {
        {17, 100, 17, 3600, true},  {49, 300, 1, 3600, true},  // trio with a typed 300
        {46, 1200, 1, 3600, true},                             // column with 1200
        {39, 1825, 1, 3650, false}, {17, 99, 17, 3564, false}, {17, 101, 17, 3636, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.paid);
        PracticeTable t;
        const Boxes boxes = t.settle(c.field, c.stake, c.number).boxes;
        ASSERT_FALSE(boxes.empty());
        EXPECT_EQ(boxes.back(), winText(c.paid));
        EXPECT_EQ(std::find(boxes.begin(), boxes.end(), message(12)) != boxes.end(), c.completes);
        EXPECT_EQ(game::player.taskDone[12], c.completes ? 1 : 0);
        EXPECT_EQ(game::player.taskCode[12], c.completes ? 1836 : 0);
    }
}

TEST(Tasks, WeekdayTaskJudgesTheStartTime) {
    struct Case {
        const char* name;
        int day, hour, minute, second;  // start, December 2026
        double playedAfter;             // seconds from the start to the round
        bool completes;
    } cases[] = {
        {"Monday 4:59, settled at 6:00", 7, 4, 59, 0, 3660, true},
        {"Monday 3:00", 7, 3, 0, 0, 0, true},
        {"Monday 2:59:59", 7, 2, 59, 59, 0, false},
        {"Monday 2:59:59, settled at 3:30", 7, 2, 59, 59, 1801, false},
        {"Monday 5:00", 7, 5, 0, 0, 0, false},
        {"Friday 4:59:59", 11, 4, 59, 59, 0, true},
        {"Friday 2:59", 11, 2, 59, 0, 0, false},
        {"Saturday 3:30", 12, 3, 30, 0, 0, false},
        {"Sunday 3:30", 13, 3, 30, 0, 0, false},
        {"Sunday 23:59, settled Monday 3:30", 6, 23, 59, 0, 3 * 3600 + 31 * 60, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Table t(2026, 12, c.day, c.hour, c.minute, c.second);
        t.start();
        scripted::advance(c.playedAfter);
        const Boxes boxes = t.settle(37, 25, 20).boxes;
        EXPECT_EQ(boxes, c.completes ? (Boxes{message(14), winText(0)}) : Boxes{winText(0)});
        EXPECT_EQ(game::player.taskCode[14], c.completes ? 26953 : 0);
    }
}

TEST(Tasks, SevenDaysInARow) {
    struct Case {
        const char* streakStart;
        const char* lastPlayed;
        bool completes;
        const char* line13;
    } cases[] = {
        {"11-30-2026", "12-06-2026", true, " 1             7             638\r\n"},
        {"12-01-2026", "12-06-2026", false, " 0             6             0\r\n"},
        {"12-14-2026", "12-08-2026", true, " 1            -7             638\r\n"},  // clock set back
        {"12-13-2026", "12-08-2026", false, " 0            -6             0\r\n"},
        // Two days without a game: the streak starts again today.
        {"11-01-2026", "12-05-2026", false, " 0             0             0\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.streakStart);
        Table t;
        t.writePlayerFile("Login.dat", std::string(c.streakStart) + "\r\n");
        t.writePlayerFile("Login2.dat", std::string(c.lastPlayed) + "\r\n");
        t.start();
        EXPECT_EQ(game::fieldOpen(51), false);
        const Boxes boxes = t.settle(37, 25, 20).boxes;
        EXPECT_EQ(boxes, c.completes ? (Boxes{message(13), winText(0)}) : Boxes{winText(0)});
        EXPECT_EQ(gamefix::line(t.playerFile("Secrets.dat"), 13), c.line13);
        // The second secret holds from the next round on.
        EXPECT_EQ(game::fieldOpen(51), c.completes);
    }
}

TEST(Tasks, FirstSecretOpensTheHundredChipAtOnce) {
    PracticeTable t;
    EXPECT_FALSE(game::chipOpen(86));
    t.settle(0, 25, 0);
    EXPECT_TRUE(game::chipOpen(86));
    EXPECT_EQ(game::player.taskCode[1], 27406159);
}

TEST(Tasks, HeldSecretIsNotAnnouncedAgain) {
    PracticeTable t;
    // Done with a wrong check value: the chip stays locked and nothing changes.
    writable(game::player).taskDone[1] = 1;
    writable(game::player).taskCode[1] = 5;
    EXPECT_EQ(t.settle(0, 25, 0).boxes, Boxes{winText(900)});
    EXPECT_EQ(game::player.taskCode[1], 5);
    EXPECT_FALSE(game::chipOpen(86));
}

TEST(Tasks, CornerTaskOnlyOnce) {
    PracticeTable t;
    writable(game::cornersUnlocked) = 1;
    EXPECT_EQ(t.settle(72, 25, 36).boxes, (Boxes{message(8), winText(225)}));
    EXPECT_EQ(t.settle(72, 25, 1).boxes, Boxes{winText(0)});
    EXPECT_EQ(t.settle(55, 25, 11).boxes, Boxes{winText(225)});
}

struct RewardTable : Table {
    RewardTable() {
        writePlayerFile("Login.dat", "12-07-2026\r\n");
        writePlayerFile("Login2.dat", "12-07-2026\r\n");
        writePlayerFile("Secrets.dat", gamefix::allDoneSecrets);
        writePlayerFile("Geldbeutel.dat", "1000\r\n");
        sandbox::writeFile(here("Rot.Roulette"), "marker");
        sandbox::writeFile(here("Gruen.Roulette"), "the document");
    }
};

TEST(Tasks, FinalRewardComesOnce) {
    RewardTable t;
    t.start();
    EXPECT_EQ(t.settle(39, 25, 1).boxes, (Boxes{winText(50), password}));
    EXPECT_EQ(t.hereFile("Code.doc"), "the document");
    EXPECT_FALSE(t.hasHere("Gruen.Roulette"));
    EXPECT_FALSE(t.hasHere("Rot.Roulette"));
    EXPECT_EQ(t.settle(39, 25, 1).boxes, Boxes{winText(50)});
}

TEST(Tasks, FinalRewardWithoutTheDocument) {
    RewardTable t;
    std::filesystem::remove(t.here("Gruen.Roulette"));
    t.start();
    EXPECT_EQ(t.settle(39, 25, 2).boxes, (Boxes{winText(0), password}));
    EXPECT_FALSE(t.hasHere("Rot.Roulette"));
    EXPECT_FALSE(t.hasHere("Code.doc"));
}

TEST(Tasks, FinalRewardNeedsTheMarkerAndTheRightCodes) {
    struct Case {
        const char* name;
        std::function<void(RewardTable&)> spoil;
    } cases[] = {
        {"no marker", [](RewardTable& t) { std::filesystem::remove(t.here("Rot.Roulette")); }},
        {"wrong first code", [](RewardTable&) { writable(game::player).taskCode[1] = 27406158; }},
        {"wrong last code", [](RewardTable&) { writable(game::player).taskCode[14] = 0; }},
        {"code on a task without one", [](RewardTable&) { writable(game::player).taskCode[2] = 1; }},
        {"same sum, codes moved",
         [](RewardTable&) {
             writable(game::player).taskCode[1] -= 5;
             writable(game::player).taskCode[6] = 5;
         }},
        {"done flag 2", [](RewardTable&) { writable(game::player).taskDone[9] = 2; }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RewardTable t;
        t.start();
        c.spoil(t);
        EXPECT_EQ(t.settle(39, 25, 1).boxes, Boxes{winText(50)});
        EXPECT_TRUE(t.hasHere("Gruen.Roulette"));
        EXPECT_FALSE(t.hasHere("Code.doc"));
    }
}

TEST(Tasks, LastTaskBringsTheReward) {
    RewardTable t;
    t.start();
    writable(game::player).taskDone[12] = 0;
    writable(game::player).taskCode[12] = 0;
    EXPECT_EQ(t.settle(17, 100, 17).boxes, (Boxes{message(12), winText(3600), password}));
}

TEST(Tasks, RewardThenLowMoney) {
    RewardTable t;
    t.writePlayerFile("Geldbeutel.dat", "40\r\n");
    t.start();
    const gamefix::Outcome out = t.settle(40, 25, 1);
    EXPECT_TRUE(out.ended);
    EXPECT_EQ(out.boxes, (Boxes{winText(0), password, gamefix::lowMoneyText}));
}

}  // namespace
