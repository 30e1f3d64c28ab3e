#pragma once
// What the game remembers about the player between runs, its files, and the
// flags the table derives from it when it opens. player.cpp alone writes this
// state; other files read it and change it through the functions below.
#include <cstdint>
#include <string>

#include "vocabulary.h"

namespace game {

// 100,000,000,000 Euro, played with until every task is done; never booked.
constexpr std::uint64_t practiceBankroll = 100000000000ULL;

struct PlayerState {
    std::uint64_t balance = 0;
    // Indexed by task number 1..14; index 0 is unused.
    std::int32_t taskDone[taskCount + 1] = {};
    std::int32_t taskProgress[taskCount + 1] = {};
    std::int32_t taskCode[taskCount + 1] = {};
    std::int32_t consecutiveWins = 0;
    std::int32_t gamesWon = 0;
    std::string streakStart;
    std::string lastPlayed;
    double dayGap = 0;
    std::int32_t startWeekday = 0;
    std::int32_t startHour = 0;
};

extern const PlayerState& player;
// Set when the table opens; the two unlocks also when their task is completed.
extern const int& moneyMode;
extern const int& chip100Unlocked;
extern const int& cornersUnlocked;

// A new run: nothing known of the player, every flag off.
void resetPlayer();
void drawStartMoney();
void loadPlayerState();
void deriveTableFlags();
// Opens the secret a task unlocks (the 100 chip, the corners) once the task
// is done with its check value; other tasks open none.
void openSecretOf(int task);
void saveTasks();
void saveLastPlayed();
void saveWallet();
void appendHistory(int winningNumber);
void deleteWallet();
std::int64_t streakLength();

// What a settlement changes: the balance in money mode, the tasks' state.
void bookGame(int win, int stake);
// Done, with the task's check value where it has one.
void markTaskDone(int task);
// The task's check value set, before the task is done (the column task).
void setCheckValue(int task);
// Counters that only grow; they stop at the largest int.
void countTask(int task);
void countWin();
// A lost round ends the run of wins.
void endWinRun();
// The counters copied into their tasks' progress before saving; `days` is
// the streak length.
void copyCountersToTasks(std::int64_t days);

}  // namespace game
