#include "flow.h"

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

void run() {
    resetRunState();
    fileNumber = svc::freeFileNumber();
    svc::seedRandom(svc::timerSeconds(), svc::defaultGenerator);
    drawStartMoney();
    svc::setScreenMode(640, 420, 32);
    setGameIcon();
    svc::setWindowTitle("Rotandor");
    loadPlayerState();
    drawStatisticsScreen();
    waitForTableClick();
    openTable();
    runTable();
}

}  // namespace game
