#pragma once
// The one bet of the current round: which field carries it and with what stake.
namespace game {

constexpr int fieldCount = 87;   // field indices 0..86
constexpr int betFieldCount = 84;  // 0..83 can carry a bet; 84..86 are the chips

struct RoundBet {
    // 1.0 on the field that carries the bet once one is chosen.
    double betMarks[fieldCount] = {};
    int chosenField = -1;   // 0..83, -1 when none
    int chosenNumber = -1;  // last number chosen this round, -1 when none
    int fieldChosen = 0;
    int stake = 0;          // Euro
    int typedStake = 0;     // last amount typed in the stake entry
    int typedStakeActive = 0;
    int chip25Active = 0;
    int chip50Active = 0;
    int chip100Active = 0;
};

extern RoundBet bet;

// Field choice and stake source cleared for a new round; the marks stay.
void clearRoundSelection();
bool betReady();

}  // namespace game
