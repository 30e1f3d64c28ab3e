#include "tasks.h"

#include <algorithm>
#include <cstdint>
#include <limits>

#include "messages.h"
#include "player.h"
#include "records.h"
#include "round.h"
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

bool open(int task) {
    return player.taskDone[task] == 0;
}

// Message while the task is open, then marked done (with its check value).
void complete(int task) {
    if (open(task)) showMessage(taskMessage(task));
    player.taskDone[task] = 1;
    if (taskCheckValue[task] != 0) player.taskCode[task] = taskCheckValue[task];
}

std::int32_t clampToInt32(std::int64_t v) {
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(v, std::numeric_limits<std::int32_t>::min(),
                                                              std::numeric_limits<std::int32_t>::max()));
}

}  // namespace

const char* taskTitle(int task) {
    return task >= 1 && task <= taskCount ? titles[task] : "";
}

std::string taskMessage(int task) {
    if (task == 1) return "Sie haben ein Secret aktiviert!\r\nSie k\xF6nnen nun auch mit 100 \x80 Chips spielen!";
    if (task == 13) return "Sie haben ein Secret aktiviert!\r\nSie k\xF6nnen nun auch auf 4 benachbarte Zahlen setzen!";
    if (task < 1 || task > taskCount) return "";
    return std::string("Folgende Aufgabe wurde erfolgreich gel\xF6st: \r\n") + completionLines[task];
}

void taskStepsInPayout(int win) {
    if (win <= 0) return;
    const int field = bet.chosenField;
    if (field >= 0 && field < 37 && winningNumber == 0 && open(1)) {
        player.taskDone[1] = 1;
        player.taskCode[1] = taskCheckValue[1];
        chip100Unlocked = 1;
        showMessage(taskMessage(1));
    }
    if (field >= 46 && field <= 48) {
        if (open(3) && player.taskProgress[3] >= 2) showMessage(taskMessage(3));
        if (player.taskProgress[3] < std::numeric_limits<std::int32_t>::max()) player.taskProgress[3]++;
        player.taskCode[3] = taskCheckValue[3];
        if (player.taskProgress[3] > 2) player.taskDone[3] = 1;
    }
    if (field == 49) complete(9);
    if (field >= 51 && field <= 72) complete(8);
}

void taskStepsAfterPayout(int win) {
    if (win == 3600) complete(12);
    if (win > 0) {
        auto count = [](std::int32_t& counter) {
            if (counter < std::numeric_limits<std::int32_t>::max()) counter++;
        };
        count(player.consecutiveWins);
        count(player.gamesWon);
        if (bet.chosenField == 38) count(player.taskProgress[10]);
        if (bet.chosenField == 39) count(player.taskProgress[6]);
        if (bet.chosenField == 42) count(player.taskProgress[11]);
        if (bet.stake == 100) count(player.taskProgress[7]);
        if (player.consecutiveWins > 4) complete(2);
        if (player.gamesWon > 9) complete(4);
        if (player.gamesWon > 49) complete(5);
        if (player.taskProgress[6] > 4) complete(6);
        if (player.taskProgress[7] > 2) complete(7);
        if (player.taskProgress[10] > 2) complete(10);
        if (player.taskProgress[11] > 1) complete(11);
    }
    if (win == 0) player.consecutiveWins = 0;
    const std::int64_t days = streakLength();
    if (days > 6 || days < -6) {
        complete(13);
        cornersUnlocked = 1;
    }
    if (player.startWeekday >= 2 && player.startWeekday <= 6 && (player.startHour == 3 || player.startHour == 4)) {
        complete(14);
    }
    player.taskProgress[2] = player.consecutiveWins;
    player.taskProgress[4] = player.gamesWon;
    player.taskProgress[5] = player.gamesWon;
    player.taskProgress[13] = clampToInt32(days);
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
