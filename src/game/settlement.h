#pragma once
// Paying out the round's bet, booking it, saving the player's files and
// clearing the table for the next round.
namespace game {

// Whether a betting field (0..83) wins on a number, and what it pays per
// Euro staked, on top of the stake.
bool fieldWins(int field, int number);
int fieldMultiplier(int field);

void settleRound();
// The round cleared and the table's lines emptied for the next one.
void resetRound();

}  // namespace game
