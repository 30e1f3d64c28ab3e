#pragma once
// The stake of the round: the three chips, the typed stake and its limits.
#include "input.h"

namespace game {

extern int stakeMin;
extern int stakeMax;

// Chip centres; their rings have radius 18.
constexpr int chipCentreX[3] = {26, 66, 106};
constexpr int chipCentreY = 496;

// Stake state and limits for a new table; the unlock flags off until derived.
void initStakes();
// Field index 84, 85 or 86: the 25, 50 or 100 chip, when open.
void selectChip(int field);
bool chipOpen(int field);
// The typed stake, entered by clicking the stake line in money mode.
void stakeEntry(const svc::Mouse& mouse);
void drawChipRingsBlack();

}  // namespace game
