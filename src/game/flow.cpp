#include "flow.h"

#include <string>

#include "fields.h"
#include "icon.h"
#include "input.h"
#include "player.h"
#include "records.h"
#include "round.h"
#include "screen.h"
#include "settlement.h"
#include "stakes.h"
#include "statistics.h"
#include "table.h"
#include "wheel.h"

namespace game {

void resetRunState() {
    player = PlayerState{};
    bet = RoundBet{};
    ball = Ball{};
    for (HitRegion& r : regions) r = HitRegion{};
    regionCursor = 0;
    moneyMode = chip100Unlocked = cornersUnlocked = 0;
    winningNumber = -1;
    roundWin = 0;
    spinDeadline = 0;
    stakeMin = 25;
    stakeMax = 1000;
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
    openScreen(640, 420);
    setGameIcon();
    svc::setWindowTitle("Rotandor");
    loadPlayerState();
    drawStatisticsScreen();
    waitForTableClick();
    openTable();
    runTable();
}

}  // namespace game
