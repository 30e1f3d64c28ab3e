#include "tasks.h"

#include <cstdint>

#include "fields.h"
#include "messages.h"
#include "player.h"
#include "records.h"
#include "stakes.h"
#include "vocabulary.h"
#include "wheel.h"

namespace game {

namespace {

// Code page 437: 0x84 ä, 0x94 ö, 0xE1 ß.
const char* const titles[taskCount + 1] = {
    "",
    "Setze auf die 0 und gewinne 1 Spiel:",
    "Gewinne 5 Spiele in Folge:",
    "Setze auf eine der 3 Kolonnen und gewinne 3 Spiele:",
    "Gewinne 10 Roulettespiele:",
    "Gewinne 50 Roulettespiele:",
    "Setze auf Rot und gewinne 5 Spiele:",
    "Gewinne 3 Spiele mit einem Einsatz von 100 Euro:",
    "Setze auf 4 benachbarte Zahlen und gewinne 1 Spiel:",
    "Setze auf die Zahlen 0, 1 und 2 und gewinne 1 Spiel:",
    "Setze auf gerade Zahlen und gewinne 3 Spiele:",
    "Setze auf gro\341e H\x84lfte und gewinne 2 Spiele:",  // octal: an "e" follows
    "Gewinne auf einen Schlag 3600 Euro:",
    "Spiele 7 Tage lang mindestens 1x Roulette:",
    "Spiele 1x unter der Woche zwischen 3 Uhr und 4 Uhr:",
};

// Windows-1252: 0x80 €, 0xE4 ä, 0xF6 ö, 0xDF ß.
const char* const completionLines[taskCount + 1] = {
    "",
    "",
    "<5 Spiele in Folge gewonnen>",
    "<Setze auf 1. oder 2. oder 3. Kolonne und gewinne 3 Spiele>",
    "<Gewinne 10 Roulettespiele>",
    "<Gewinne 50 Roulettespiele>",
    "<Setze auf Rot und gewinne 5 Spiele>",
    "<Gewinne 3 Spiele mit einem Einsatz von 100 \x80>",
    "<Setze auf 4 benachbarte Zahlen und gewinne 1 Spiel>",
    "<Setze auf die Zahlen 0, 1 und 2 und gewinne 1 Spiel>",
    "<Setze einen Betrag auf gerade Zahlen und gewinne 3 Spiele>",
    "<Setze einen Betrag auf gro\337e H\xE4lfte und gewinne 2 Spiele>",  // octal: an "e" follows
    "<Gewinne auf einen Schlag 3600 \x80>",
    "",
    "<Spiele unter der Woche zwischen 3:00 Uhr und 4:00 Uhr>",
};

// What each task asks for, as its title says: wins, Euro or days.
constexpr std::int32_t goals[taskCount + 1] = {0, 1, 5, 3, 10, 50, 5, 3, 1, 1, 3, 2, 3600, 7, 1};
// The stake the hundred-stake task counts wins with.
constexpr int hundredStake = 100;

bool open(int task) {
    return player.taskDone[task] == 0;
}

bool reached(int task, std::int64_t count) {
    return count >= goals[task];
}

// Message while the task is open, then marked done (with its check value).
void complete(int task) {
    if (open(task)) showMessage(taskMessage(task));
    markTaskDone(task);
}

}  // namespace

const char* taskTitle(int task) {
    return task >= 1 && task <= taskCount ? titles[task] : "";
}

std::string taskMessage(int task) {
    const std::string secret = "Sie haben ein Secret aktiviert!\r\n";
    if (task == zeroTask) return secret + "Sie k\xF6nnen nun auch mit 100 \x80 Chips spielen!";
    if (task == streakTask) return secret + "Sie k\xF6nnen nun auch auf 4 benachbarte Zahlen setzen!";
    if (task < 1 || task > taskCount) return "";
    return std::string("Folgende Aufgabe wurde erfolgreich gel\xF6st: \r\n") + completionLines[task];
}

void taskStepsInPayout(int win) {
    if (win <= 0) return;
    const int field = fieldBet.chosenField;
    if (inRange(field, numberFields) && winningNumber == 0 && open(zeroTask)) {
        complete(zeroTask);
        openSecretOf(zeroTask);
    }
    if (inRange(field, columnFields)) {
        const std::int32_t& wins = player.taskProgress[columnTask];
        // The message comes with the win that reaches the goal.
        if (open(columnTask) && reached(columnTask, std::int64_t{wins} + 1)) showMessage(taskMessage(columnTask));
        countTask(columnTask);
        setCheckValue(columnTask);
        if (reached(columnTask, wins)) markTaskDone(columnTask);
    }
    if (field == trio012Field) complete(trioTask);
    if (inRange(field, cornerFields)) complete(cornerTask);
}

void taskStepsAfterPayout(int win) {
    if (win == goals[bigWinTask]) complete(bigWinTask);
    if (win > 0) {
        countWin();
        if (fieldBet.chosenField == evenField) countTask(evenTask);
        if (fieldBet.chosenField == redField) countTask(redTask);
        if (fieldBet.chosenField == highHalfField) countTask(highHalfTask);
        if (stakeBet.stake == hundredStake) countTask(hundredStakeTask);
        if (reached(winsInARowTask, player.consecutiveWins)) complete(winsInARowTask);
        if (reached(tenWinsTask, player.gamesWon)) complete(tenWinsTask);
        if (reached(fiftyWinsTask, player.gamesWon)) complete(fiftyWinsTask);
        for (int task : {redTask, hundredStakeTask, evenTask, highHalfTask}) {
            if (reached(task, player.taskProgress[task])) complete(task);
        }
    }
    if (win == 0) endWinRun();
    const std::int64_t days = streakLength();
    // A streak counts forwards or, with a clock set back, backwards.
    if (reached(streakTask, days) || days <= -std::int64_t{goals[streakTask]}) {
        complete(streakTask);
        openSecretOf(streakTask);
    }
    if (player.startWeekday >= 2 && player.startWeekday <= 6 && (player.startHour == 3 || player.startHour == 4)) {
        complete(nightTask);
    }
    copyCountersToTasks(days);
}

void finalReward() {
    int done = 0;
    std::int64_t sum = 0;
    for (int i = 1; i <= taskCount; i++) {
        if (player.taskDone[i] == 1) {
            done++;
            sum += player.taskCode[i];
        }
    }
    std::int64_t expected = 0;
    bool codesRight = true;
    for (int i = 1; i <= taskCount; i++) {
        if (taskCheckValue[i] == 0) continue;
        expected += taskCheckValue[i];
        codesRight = codesRight && player.taskCode[i] == taskCheckValue[i];
    }
    if (!svc::fileExists("Rot.Roulette") || done != taskCount || !codesRight || sum != expected) return;
    svc::renameFile("Gruen.Roulette", "Code.doc");
    showMessage(
        "Das Passwort f\xFCr den Quellcode lautet: 7dKwB58\r\n"
        "Dieser befindet sich in der Worddatei mit dem Namen Code.doc!");
    svc::deleteFile("Rot.Roulette");
}

}  // namespace game
