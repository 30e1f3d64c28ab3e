#include "stakes.h"

#include <cstdint>
#include <optional>
#include <string>

#include "input.h"
#include "panels.h"
#include "player.h"
#include "records.h"
#include "round.h"
#include "screen.h"

namespace game {

int stakeMin = 25;
int stakeMax = 1000;

namespace {

struct Chip {
    int amount;
    const char* message;
};

const Chip chips[3] = {
    {25, "Sie haben 25 Euro               "},
    {50, "Sie haben 50 Euro               "},
    {100, "Sie haben 100 Euro              "},
};

void drawStakeLine() {
    drawPanel(139, 483, 296, 502, 0);
    printGradient("Einsatz: ", 62, 19, greenScheme);
}

bool inStakeLine(const svc::Mouse& m) {
    return m.x >= 139 && m.x <= 296 && m.y >= 483 && m.y <= 502;
}

}  // namespace

void initStakes() {
    // The typed-stake flag is off anyway: the table opens once a run.
    clearRoundSelection();
    stakeMin = 25;
    stakeMax = 1000;
    chip100Unlocked = 0;
    cornersUnlocked = 0;
    moneyMode = 0;
}

bool chipOpen(int field) {
    switch (field) {
        case 84: return player.balance > 24;
        case 85: return player.balance > 49;
        case 86: return chip100Unlocked && player.balance > 99;
        default: return false;
    }
}

void selectChip(int field) {
    if (!chipOpen(field)) return;
    const int chosen = field - 84;
    for (int i = 0; i < 3; i++) {
        svc::drawCircle(chipCentreX[i], chipCentreY, 18, i == chosen ? 0xFFFFFF : 0);
    }
    drawStakeLine();
    printGradient(chips[chosen].message, 54, 5, cyanScheme);
    bet.stake = chips[chosen].amount;
    bet.chip25Active = chosen == 0;
    bet.chip50Active = chosen == 1;
    bet.chip100Active = chosen == 2;
}

void drawChipRingsBlack() {
    for (int x : chipCentreX) svc::drawCircle(x, chipCentreY, 18, 0);
}

void stakeEntry(const svc::Mouse& mouse) {
    if (!inStakeLine(mouse)) return;
    // Typed characters must show at once.
    svc::unlockScreen();
    if (moneyMode) {
        drawStakeLine();
        for (;;) {
            printGradient("Limits: Min = " + svc::intToText(stakeMin) + " Max = " + svc::intToText(stakeMax), 54, 5,
                          cyanScheme);
            svc::setTextColor(0xFFFFFF);
            svc::setTextCursor(62, 28);
            const std::optional<std::int32_t> typed = svc::inputInteger();
            // The window's close button ends the program here as anywhere.
            if (!typed) svc::endProgram();
            bet.typedStake = *typed;
            if (bet.typedStake >= stakeMin && bet.typedStake <= stakeMax) break;
            drawStakeLine();
        }
        drawPanel(27, 420, 296, 439, 0);
        bet.stake = bet.typedStake;
        bet.typedStakeActive = 1;
        bet.chip25Active = 0;
        bet.chip50Active = 0;
        bet.chip100Active = 0;
        drawChipRingsBlack();
        printGradient("Sie haben " + svc::intToText(bet.typedStake) + " Euro", 54, 5, cyanScheme);
    }
    svc::lockScreen();
}

}  // namespace game
