#include "player.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "calendar.h"
#include "flow.h"
#include "number_text.h"
#include "random.h"
#include "records.h"

namespace game {

namespace {

// The one writable copy; other files read it through the names below.
namespace owned {
PlayerState player;
int moneyMode = 0;
int chip100Unlocked = 0;
int cornersUnlocked = 0;
}  // namespace owned

}  // namespace

const PlayerState& player = owned::player;
const int& moneyMode = owned::moneyMode;
const int& chip100Unlocked = owned::chip100Unlocked;
const int& cornersUnlocked = owned::cornersUnlocked;

namespace {

const std::string loginFile = "c:\\Windows\\Login.dat";
const std::string lastPlayedFile = "c:\\Windows\\Login2.dat";
const std::string tasksFile = "c:\\Windows\\Secrets.dat";
const std::string walletFile = "c:\\Windows\\Geldbeutel.dat";
const std::string historyFile = "Roulettezahlen.txt";

// A number read from a damaged date text can be anything; keep it an int.
std::int32_t toInt32(double value) {
    if (std::isnan(value)) return 0;
    const double rounded = std::nearbyint(value);
    if (rounded >= std::numeric_limits<std::int32_t>::max()) return std::numeric_limits<std::int32_t>::max();
    if (rounded <= std::numeric_limits<std::int32_t>::min()) return std::numeric_limits<std::int32_t>::min();
    return static_cast<std::int32_t>(rounded);
}

// Month, day and year of a "MM-DD-YYYY" text; the day number stops at the hyphen.
std::int64_t serialOfDateText(const std::string& text) {
    const std::int32_t month = toInt32(svc::textToNumber(text.substr(0, 2)));
    const std::int32_t day = toInt32(svc::textToNumber(text.size() > 3 ? text.substr(3) : std::string()));
    const std::int32_t year = toInt32(svc::textToNumber(text.size() > 4 ? text.substr(text.size() - 4) : text));
    return svc::dateSerial(year, month, day);
}

// "MM-DD-YYYY" naming a day of the calendar, the only form the game writes.
bool isDateText(const std::string& text) {
    if (text.size() != 10 || text[2] != '-' || text[5] != '-') return false;
    for (std::size_t i : {0, 1, 3, 4, 6, 7, 8, 9}) {
        if (text[i] < '0' || text[i] > '9') return false;
    }
    const auto digits = [&](std::size_t from, std::size_t count) {
        std::int32_t n = 0;
        for (std::size_t i = from; i < from + count; i++) n = n * 10 + (text[i] - '0');
        return n;
    };
    const std::int32_t month = digits(0, 2), day = digits(3, 2), year = digits(6, 4);
    // dateSerial carries a day past the month's end into the next month.
    return year >= 1 && month >= 1 && month <= 12 && day >= 1 &&
           svc::dateSerial(year, month, day) < svc::dateSerial(year, month + 1, 1);
}

std::string readFirstText(const std::string& path) {
    svc::openFile(path, svc::OpenMode::input, fileNumber);
    svc::beginRead(fileNumber);
    std::string text = svc::readText();
    svc::closeFile(fileNumber);
    return text;
}

void writeDateFile(const std::string& path, const std::string& text) {
    svc::openFile(path, svc::OpenMode::output, fileNumber);
    svc::writeText(fileNumber, text, svc::ItemEnd::lineEnd);
    svc::closeFile(fileNumber);
}

// Both date files anew with today: the streak starts today.
void restartStreak() {
    const std::string first = svc::todayText();
    writeDateFile(loginFile, first);
    owned::player.streakStart = first;
    const std::string second = svc::todayText();
    writeDateFile(lastPlayedFile, second);
    owned::player.lastPlayed = second;
}

void loadDates() {
    if (svc::fileExists(loginFile)) {
        owned::player.streakStart = readFirstText(loginFile);
        owned::player.lastPlayed = readFirstText(lastPlayedFile);
    } else {
        restartStreak();
    }
    const double now = svc::nowSerial();
    owned::player.dayGap =
        static_cast<double>(svc::daysBetween(static_cast<double>(serialOfDateText(player.lastPlayed)), now));
    owned::player.startWeekday = svc::weekdayOf(now);
    owned::player.startHour = svc::hourOf(now);
    // A first date that names no day of the calendar would count a streak from
    // nowhere (and hand out the streak task at once): such a streak starts
    // again too.
    if (player.dayGap > 1 || player.dayGap < -1 || !isDateText(player.streakStart)) {
        svc::deleteFile(loginFile);
        svc::deleteFile(lastPlayedFile);
        restartStreak();
    }
}

void loadTasks() {
    if (svc::fileExists(tasksFile)) {
        svc::openFile(tasksFile, svc::OpenMode::input, fileNumber);
        for (int i = 1; i <= taskCount && !svc::atEndOfFile(fileNumber); i++) {
            svc::beginRead(fileNumber);
            owned::player.taskDone[i] = svc::readInt();
            owned::player.taskProgress[i] = svc::readInt();
            owned::player.taskCode[i] = svc::readInt();
        }
        svc::closeFile(fileNumber);
    }
    owned::player.consecutiveWins = player.taskProgress[winsInARowTask];
    owned::player.gamesWon = player.taskProgress[tenWinsTask];
}

void loadWallet() {
    if (!svc::fileExists(walletFile)) return;
    svc::openFile(walletFile, svc::OpenMode::input, fileNumber);
    svc::beginRead(fileNumber);
    const std::int64_t stored = svc::readInt64();
    svc::closeFile(fileNumber);
    // A negative amount is a damaged wallet, not a fortune near 2^64.
    if (stored > 0) owned::player.balance = static_cast<std::uint64_t>(stored);
}

}  // namespace

void resetPlayer() {
    owned::player = PlayerState{};
    owned::moneyMode = 0;
    owned::chip100Unlocked = 0;
    owned::cornersUnlocked = 0;
}

void drawStartMoney() {
    owned::player.balance = static_cast<std::uint64_t>(std::floor(svc::randomUnit() * 376)) + 25;
}

void loadPlayerState() {
    loadDates();
    loadTasks();
    loadWallet();
}

void deriveTableFlags() {
    owned::chip100Unlocked = 0;
    owned::cornersUnlocked = 0;
    openSecretOf(zeroTask);
    openSecretOf(streakTask);
    for (int i = 1; i <= taskCount; i++) {
        if (player.taskDone[i] == 0) {
            owned::moneyMode = 0;
            owned::player.balance = practiceBankroll;
            return;
        }
    }
    owned::moneyMode = 1;
}

void openSecretOf(int task) {
    if (player.taskDone[task] != 1 || player.taskCode[task] != taskCheckValue[task]) return;
    if (task == zeroTask) owned::chip100Unlocked = 1;
    if (task == streakTask) owned::cornersUnlocked = 1;
}

void saveTasks() {
    svc::openFile(tasksFile, svc::OpenMode::output, fileNumber);
    for (int i = 1; i <= taskCount; i++) {
        svc::writeInt(fileNumber, player.taskDone[i], svc::ItemEnd::zone);
        svc::writeInt(fileNumber, player.taskProgress[i], svc::ItemEnd::zone);
        svc::writeInt(fileNumber, player.taskCode[i], svc::ItemEnd::lineEnd);
    }
    svc::closeFile(fileNumber);
}

void saveLastPlayed() {
    svc::deleteFile(lastPlayedFile);
    const std::string today = svc::todayText();
    writeDateFile(lastPlayedFile, today);
    owned::player.lastPlayed = today;
}

void saveWallet() {
    svc::openFile(walletFile, svc::OpenMode::output, fileNumber);
    svc::writeUnsigned64(fileNumber, player.balance, svc::ItemEnd::lineEnd);
    svc::closeFile(fileNumber);
}

void appendHistory(int winningNumber) {
    svc::openFile(historyFile, svc::OpenMode::append, fileNumber);
    svc::writeInt(fileNumber, winningNumber, svc::ItemEnd::zone);
    svc::writeText(fileNumber, player.lastPlayed, svc::ItemEnd::zone);
    svc::writeText(fileNumber, svc::timeText(), svc::ItemEnd::lineEnd);
    svc::closeFile(fileNumber);
}

void deleteWallet() {
    svc::deleteFile(walletFile);
}

std::int64_t streakLength() {
    return svc::daysBetween(static_cast<double>(serialOfDateText(player.streakStart)), svc::nowSerial());
}

void bookGame(int win, int stake) {
    if (win == 0) {
        // The start tests keep the stake covered; never wrap below zero.
        const auto lost = static_cast<std::uint64_t>(stake);
        owned::player.balance -= lost < player.balance ? lost : player.balance;
    } else {
        owned::player.balance += static_cast<std::uint64_t>(win);
    }
}

void markTaskDone(int task) {
    owned::player.taskDone[task] = 1;
    if (taskCheckValue[task] != 0) setCheckValue(task);
}

void setCheckValue(int task) {
    owned::player.taskCode[task] = taskCheckValue[task];
}

namespace {
void count(std::int32_t& counter) {
    if (counter < std::numeric_limits<std::int32_t>::max()) counter++;
}
}  // namespace

void countTask(int task) {
    count(owned::player.taskProgress[task]);
}

void countWin() {
    count(owned::player.consecutiveWins);
    count(owned::player.gamesWon);
}

void endWinRun() {
    owned::player.consecutiveWins = 0;
}

void copyCountersToTasks(std::int64_t days) {
    owned::player.taskProgress[winsInARowTask] = player.consecutiveWins;
    owned::player.taskProgress[tenWinsTask] = player.gamesWon;
    owned::player.taskProgress[fiftyWinsTask] = player.gamesWon;
    owned::player.taskProgress[streakTask] = static_cast<std::int32_t>(std::clamp<std::int64_t>(
        days, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()));
}

}  // namespace game
