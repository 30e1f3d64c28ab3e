#include "statistics.h"

#include "input.h"
#include "number_text.h"
#include "panels.h"
#include "player.h"
#include "program_end.h"
#include "tasks.h"
#include "timer.h"
#include "vocabulary.h"

namespace game {

void drawStatisticsScreen() {
    printGradient("L\x94se erfolgreich folgende Aufgaben:", {2, 23}, cyanScheme);
    // One row a task, from row 9 on.
    for (int i = 1; i <= taskCount; i++) {
        if (player.taskDone[i] == 0) printGradient(taskTitle(i), {i + 8, 2}, cyanScheme);
    }
    for (int i = 1; i <= taskCount; i++) {
        if (player.taskDone[i] == 1) {
            printGradient(" ", {i + 8, 55}, greenScheme);
        } else {
            printGradient("X", {i + 8, 55}, redScheme);
            printGradient(svc::intToText(player.taskProgress[i]), {i + 8, 70}, cyanScheme);
        }
    }
    printGradient("Anzahl der bisher gewonnenen Spiele: " + svc::intToText(player.taskProgress[fiftyWinsTask]), {28, 2},
                  cyanScheme);
    printGradient(
        "Anzahl der bisher hintereinander gespielten Tage: " + svc::intToText(player.taskProgress[streakTask]), {30, 2},
        cyanScheme);
    printGradient("Guthaben: " + svc::unsigned64ToText(player.balance) + " Euro", {34, 2}, greenScheme);
    svc::sleepMs(10);
    drawPanel(playButton);
    printGradient("Durch einen Mausklick", {40, 28}, cyanScheme);
    printGradient("Roulette spielen!", {48, 30}, cyanScheme);
}

namespace {
// Only a bound on a missed wake-up: the click or key ends the wait.
constexpr int statisticsWaitMs = 1000;
}  // namespace

void waitForTableClick() {
    for (;;) {
        const svc::Mouse m = svc::readMouse();
        if (m.buttons == 1 && contains(playButton, m.x, m.y)) return;
        if (svc::isKeyDown(svc::escapeKey)) svc::endProgram();
        if (!svc::readKey().empty()) svc::endProgram();
        // Nothing changes here until the window reports something.
        svc::waitForInput(statisticsWaitMs);
    }
}

}  // namespace game
