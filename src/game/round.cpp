#include "round.h"

namespace game {

RoundBet bet;
int winningNumber = -1;
int roundWin = 0;

void clearRound() {
    bet.fieldChosen = 0;
    bet.typedStakeActive = 0;
    for (int& active : bet.chipActive) active = 0;
    bet.chosenNumber = -1;
    bet.chosenField = -1;
    bet.stake = 0;
    winningNumber = -1;
    roundWin = 0;
}

void resetBet() {
    bet = RoundBet{};
    clearRound();
}

bool betReady() {
    bool staked = bet.typedStakeActive != 0;
    for (int active : bet.chipActive) staked = staked || active != 0;
    return staked && bet.fieldChosen;
}

void clearBetMarks() {
    for (int i = 0; i < betFieldCount; i++) bet.betMarks[i] = 0.0;
}

void betOnField(int field) {
    clearBetMarks();
    bet.betMarks[field] = 1.0;
    bet.chosenField = field;
    if (inRange(field, numberFields)) bet.chosenNumber = field;
    bet.fieldChosen = 1;
}

void stakeChip(int chip) {
    bet.stake = chipAmount[chip];
    for (int i = 0; i < chipCount; i++) bet.chipActive[i] = i == chip;
}

void stakeTyped() {
    bet.stake = bet.typedStake;
    bet.typedStakeActive = 1;
    for (int& active : bet.chipActive) active = 0;
}

}  // namespace game
