#include "settlement.h"

#include "messages.h"
#include "panels.h"
#include "player.h"
#include "records.h"
#include "round.h"
#include "stakes.h"
#include "tasks.h"
#include "wheel.h"

namespace game {

int roundWin = 0;

namespace {

bool isRed(int n) {
    switch (n) {
        case 1: case 3: case 5: case 7: case 9: case 12: case 14: case 16: case 18:
        case 19: case 21: case 23: case 25: case 27: case 30: case 32: case 34: case 36:
            return true;
        default:
            return false;
    }
}

// Pays the straight number, or the marked field when it covers the number.
void payout() {
    const int n = winningNumber;
    if (bet.chosenField >= 0 && bet.chosenField < 37 && bet.chosenNumber == n) {
        roundWin = 36 * bet.stake;
    } else {
        for (int field = 37; field < betFieldCount; field++) {
            if (bet.betMarks[field] == 1.0 && fieldWins(field, n)) {
                roundWin = fieldMultiplier(field) * bet.stake;
                break;
            }
        }
    }
    taskStepsInPayout(roundWin);
}

void bookRound() {
    if (roundWin == 0) {
        // The start tests keep the stake covered; never wrap below zero.
        const auto stake = static_cast<std::uint64_t>(bet.stake);
        player.balance -= stake < player.balance ? stake : player.balance;
    } else {
        player.balance += static_cast<std::uint64_t>(roundWin);
    }
    saveWallet();
}

}  // namespace

bool fieldWins(int field, int n) {
    if (n < 0 || n > 36) return false;
    if (field >= 0 && field <= 36) return n == field;
    switch (field) {
        case 37: return n >= 1 && n <= 18;
        case 38: return n % 2 == 0;  // zero included
        case 39: return isRed(n);
        case 40: return n >= 1 && !isRed(n);
        case 41: return n % 2 == 1;
        case 42: return n >= 19;
        case 43: return n < 13;  // zero included
        case 44: return n >= 13 && n <= 24;
        case 45: return n >= 25;
        case 46: return n % 3 == 1;
        case 47: return n % 3 == 2;
        case 48: return n >= 3 && n % 3 == 0;
        case 49: return n <= 2;
        case 50: return n == 0 || n == 2 || n == 3;
        default: break;
    }
    if (field >= 51 && field <= 72) {
        const int k = field - 51;
        const int a = 3 * (k / 2) + k % 2 + 1;
        return n == a || n == a + 1 || n == a + 3 || n == a + 4;
    }
    if (field >= 73 && field <= 83) {
        const int first = 3 * (field - 73) + 1;
        return n >= first && n <= first + 5;
    }
    return false;
}

int fieldMultiplier(int field) {
    if (field >= 0 && field <= 36) return 36;
    if (field >= 37 && field <= 42) return 2;
    if (field >= 43 && field <= 48) return 3;
    if (field == 49 || field == 50) return 12;
    if (field >= 51 && field <= 72) return 9;
    if (field >= 73 && field <= 83) return 6;
    return 0;
}

void settleRound() {
    roundWin = 0;
    payout();
    taskStepsAfterPayout(roundWin);
    saveTasks();
    saveLastPlayed();
    if (moneyMode) bookRound();
    appendHistory(winningNumber);
    if (bet.fieldChosen) showMessage("Ihr Gewinn ist: " + svc::intToText(roundWin) + " \x80");
    finalReward();
    if (player.balance < 25) {
        deleteWallet();
        showMessage(
            "Sie haben leider zu wenig Geld!\r\n"
            "Mit einem Neustart, holen sie sich neues Geld von der Bank!");
        svc::endProgram();
    }
    resetRound();
}

void resetRound() {
    clearRoundSelection();
    roundWin = 0;
    winningNumber = -1;
    drawPanel(27, 420, 296, 439, 0);
    drawPanel(27, 450, 296, 469, 0);
    drawPanel(27, 545, 296, 564, 0);
    drawPanel(139, 483, 296, 502, 0);
    printGradient("Machen sie bitte ihr Spiel!     ", 58, 5, cyanScheme);
    drawChipRingsBlack();
    printGradient("Einsatz: ", 62, 19, greenScheme);
    if (moneyMode) printGradient("Guthaben: " + svc::unsigned64ToText(player.balance) + " Euro", 70, 5, greenScheme);
}

}  // namespace game
