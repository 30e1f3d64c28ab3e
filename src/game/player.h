#pragma once
// What the game remembers about the player between runs, its files, and the
// flags the table derives from it when it opens.
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

extern PlayerState player;
// Set when the table opens; the two unlocks also when their task is completed.
extern int moneyMode;
extern int chip100Unlocked;
extern int cornersUnlocked;
// The one file number taken at start-up, used for every file.
extern int fileNumber;

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

}  // namespace game
