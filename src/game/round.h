#pragma once
// The round in play: its one bet (a field and a stake), the number the ball
// stopped on and what the round pays. The bet's flags change only here.
#include "vocabulary.h"

namespace game {

struct RoundBet {
    // 1.0 on the field that carries the bet once one is chosen.
    double betMarks[fieldCount] = {};
    int chosenField = -1;   // 0..83, -1 when none
    int chosenNumber = -1;  // last number chosen this round, -1 when none
    int fieldChosen = 0;
    int stake = 0;          // Euro
    int typedStake = 0;     // last amount typed in the stake entry
    int typedStakeActive = 0;
    int chipActive[chipCount] = {};  // by chip index: the chip that is the stake
};

extern RoundBet bet;
// 0..36 from the end of a spin until the round is cleared; -1 otherwise.
extern int winningNumber;
// What the settled round pays, in Euro; 0 outside a settlement.
extern int roundWin;

// The reset of every round: no field chosen, no stake, no number, nothing
// won. The marks stay until the next field is chosen.
void clearRound();
// A new run: the marks and the typed amount forgotten too.
void resetBet();
bool betReady();

void clearBetMarks();
// The bet is on this field (0..83) from now on.
void betOnField(int field);
// The stake is this chip (chip index); a typed stake stays selected.
void stakeChip(int chip);
// The stake is the typed amount; no chip is selected any more.
void stakeTyped();

}  // namespace game
