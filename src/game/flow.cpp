#include "flow.h"

#include <string>

#include "fields.h"
#include "icon.h"
#include "player.h"
#include "program_end.h"
#include "random.h"
#include "records.h"
#include "round.h"
#include "screen.h"
#include "statistics.h"
#include "table.h"
#include "timer.h"
#include "vocabulary.h"
#include "wheel.h"

namespace game {

void resetRunState() {
    resetPlayer();
    resetBet();
    resetWheel();
    resetRegions();
}

void openScreen(int width, int height) {
    if (svc::setScreenMode(width, height, 32) != 0) {
        svc::failProgram("cannot open the " + std::to_string(width) + " x " + std::to_string(height) +
                         " window: " + svc::screenModeError());
    }
}

void run() {
    resetRunState();
    fileNumber = svc::freeFileNumber();
    svc::seedRandom(svc::timerSeconds(), svc::defaultGenerator);
    drawStartMoney();
    openScreen(statisticsWidth, statisticsHeight);
    setGameIcon();
    svc::setWindowTitle("Rotandor");
    loadPlayerState();
    drawStatisticsScreen();
    waitForTableClick();
    openTable();
    runTable();
}

}  // namespace game
