#pragma once
// The stake of the round: the three chips, the typed stake and its limits.
// stakes.cpp alone writes the stake part of the round's bet.
#include "input.h"
#include "vocabulary.h"

namespace game {

// The stake part of the round's bet; the field part is fields.h's.
struct StakeBet {
    int stake = 0;       // Euro
    int typedStake = 0;  // last amount typed in the stake entry
    int typedStakeActive = 0;
    int chipActive[chipCount] = {};  // by chip index: the chip that is the stake
};

extern const StakeBet& stakeBet;

// A new run: the typed amount forgotten too.
void resetStakes();
// The round's reset: no stake, no chip, no typed stake selected.
void clearStake();
// The stake is this chip (chip index); a typed stake stays selected.
void stakeChip(int chip);
// The stake is the typed amount; no chip is selected any more.
void stakeTyped();
// A stake source selected and a field chosen.
bool betReady();

// Whether the balance covers a stake of this many Euro.
bool stakeCovered(int amount);
// Field index 84, 85 or 86: the 25, 50 or 100 chip, when open.
void selectChip(int field);
bool chipOpen(int field);
// Whether a press lies on the stake line, where the typed stake is entered.
bool onStakeLine(const svc::Mouse& mouse);
// The typed stake, in money mode; runs with the screen unlocked, so that
// typed characters show at once.
void stakeEntry();
void drawChipRingsBlack();

}  // namespace game
