#pragma once
// The stake of the round: the three chips, the typed stake and its limits.
#include "input.h"

namespace game {

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
