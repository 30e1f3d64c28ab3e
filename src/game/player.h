#pragma once
// What the game remembers about the player between runs, its files, and the
// flags the table derives from it when it opens.
#include <cstdint>
#include <string>

namespace game {

constexpr int taskCount = 14;
// 100,000,000,000 Euro, played with until every task is done; never booked.
constexpr std::uint64_t practiceBankroll = 100000000000ULL;

// The code each task stores once it is completed (task 3 already with its
// first counted win), 0 where a task has none. The secrets at table start and
// the final reward accept exactly these.
constexpr std::int32_t taskCheckValue[taskCount + 1] = {
    0,                                   // no task 0
    27406159, 0, 6148, 0, 0, 0, 0,       // tasks 1 to 7
    3027, 4591, 0, 0, 1836, 638, 26953,  // tasks 8 to 14
};

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

void drawStartMoney();
void loadPlayerState();
void deriveTableFlags();
void saveTasks();
void saveLastPlayed();
void saveWallet();
void appendHistory(int winningNumber);
void deleteWallet();
std::int64_t streakLength();

}  // namespace game
