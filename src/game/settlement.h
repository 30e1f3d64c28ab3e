#pragma once
// Paying out the round's bet, booking it, saving the player's files and
// clearing the table for the next round. settlement.cpp alone writes roundWin.
namespace game {

// What the settled round pays, in Euro; 0 outside a settlement.
extern const int& roundWin;

// Whether a betting field (0..83) wins on a number, and what it pays per
// Euro staked, on top of the stake.
bool fieldWins(int field, int number);
int fieldMultiplier(int field);

void settleRound();
// The round's state cleared: no field chosen, no stake, no number, nothing
// won. The marks stay until the next field is chosen.
void clearRound();
// The round cleared and the table's lines emptied for the next one.
void resetRound();

}  // namespace game
