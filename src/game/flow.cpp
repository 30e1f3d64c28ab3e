#include "flow.h"

#include <string>

#include "fields.h"
#include "icon.h"
#include "player.h"
#include "program_end.h"
#include "random.h"
#include "records.h"
#include "screen.h"
#include "settlement.h"
#include "stakes.h"
#include "statistics.h"
#include "table.h"
#include "timer.h"
#include "vocabulary.h"
#include "wheel.h"

namespace game {

namespace {
namespace owned {
int fileNumber = 0;
}  // namespace owned
}  // namespace

const int& fileNumber = owned::fileNumber;

void takeFileNumber() {
    owned::fileNumber = svc::freeFileNumber();
}

void resetRunState() {
    resetPlayer();
    resetFields();
    resetStakes();
    resetWheel();
    clearRound();
}

void openScreen(int width, int height) {
    if (svc::setScreenMode(width, height, 32) != 0) {
        svc::failProgram("cannot open the " + std::to_string(width) + " x " + std::to_string(height) +
                         " window: " + svc::screenModeError());
    }
}

void run() {
    resetRunState();
    takeFileNumber();
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
