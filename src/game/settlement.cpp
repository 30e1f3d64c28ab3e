#include "settlement.h"

#include "fields.h"
#include "messages.h"
#include "number_text.h"
#include "panels.h"
#include "player.h"
#include "program_end.h"
#include "stakes.h"
#include "table.h"
#include "tasks.h"
#include "vocabulary.h"
#include "wheel.h"

namespace game {

namespace {

namespace owned {
int roundWin = 0;
}  // namespace owned

}  // namespace

const int& roundWin = owned::roundWin;

namespace {

bool isRed(int n) {
    // clang-format off
    switch (n) {
        case 1: case 3: case 5: case 7: case 9: case 12: case 14: case 16: case 18:
        case 19: case 21: case 23: case 25: case 27: case 30: case 32: case 34: case 36:
            return true;
        default:
            return false;
    }
    // clang-format on
}

// Pays the straight number, or the marked field when it covers the number.
void payout() {
    const int n = winningNumber;
    if (inRange(fieldBet.chosenField, numberFields) && fieldBet.chosenNumber == n) {
        owned::roundWin = fieldMultiplier(fieldBet.chosenField) * stakeBet.stake;
    } else {
        for (int field = numberFields.last + 1; field < betFieldCount; field++) {
            if (fieldBet.betMarks[field] == 1.0 && fieldWins(field, n)) {
                owned::roundWin = fieldMultiplier(field) * stakeBet.stake;
                break;
            }
        }
    }
    taskStepsInPayout(roundWin);
}

}  // namespace

bool fieldWins(int field, int n) {
    if (!inRange(n, numberFields)) return false;
    if (inRange(field, numberFields)) return n == field;
    switch (field) {
        case lowHalfField: return n >= 1 && n <= 18;
        case evenField: return n % 2 == 0;  // zero included
        case redField: return isRed(n);
        case blackField: return n >= 1 && !isRed(n);
        case oddField: return n % 2 == 1;
        case highHalfField: return n >= 19;
        case firstDozenField: return n < 13;  // zero included
        case secondDozenField: return n >= 13 && n <= 24;
        case thirdDozenField: return n >= 25;
        case firstColumnField: return n % 3 == 1;
        case secondColumnField: return n % 3 == 2;
        case thirdColumnField: return n >= 3 && n % 3 == 0;
        case trio012Field: return n <= 2;
        case trio023Field: return n == 0 || n == 2 || n == 3;
        default: break;
    }
    if (inRange(field, cornerFields)) {
        for (int which = 0; which < 4; which++) {
            if (n == cornerNumber(field, which)) return true;
        }
        return false;
    }
    if (inRange(field, sixLineFields)) return n >= sixLineFirst(field) && n <= sixLineLast(field);
    return false;
}

int fieldMultiplier(int field) {
    if (inRange(field, numberFields)) return 36;
    if (inRange(field, evenMoneyFields)) return 2;
    if (inRange(field, dozenFields) || inRange(field, columnFields)) return 3;
    if (inRange(field, trioFields)) return 12;
    if (inRange(field, cornerFields)) return 9;
    if (inRange(field, sixLineFields)) return 6;
    return 0;
}

void settleRound() {
    owned::roundWin = 0;
    payout();
    taskStepsAfterPayout(roundWin);
    saveTasks();
    saveLastPlayed();
    if (moneyMode) {
        bookGame(roundWin, stakeBet.stake);
        saveWallet();
    }
    appendHistory(winningNumber);
    if (fieldBet.fieldChosen) showMessage("Ihr Gewinn ist: " + svc::intToText(roundWin) + " \x80");
    finalReward();
    if (!stakeCovered(stakeMin)) {
        deleteWallet();
        showMessage(
            "Sie haben leider zu wenig Geld!\r\n"
            "Mit einem Neustart, holen sie sich neues Geld von der Bank!");
        svc::endProgram();
    }
    resetRound();
}

void clearRound() {
    clearFieldChoice();
    clearStake();
    clearWinningNumber();
    owned::roundWin = 0;
}

void resetRound() {
    clearRound();
    drawPanel(firstStatusLine);
    drawPanel(secondStatusLine);
    drawPanel(balanceLine);
    drawPanel(stakeLine);
    printPrompt();
    drawChipRingsBlack();
    printGradient("Einsatz: ", stakeLabelText, greenScheme);
    printBalance(" Euro");
}

}  // namespace game
