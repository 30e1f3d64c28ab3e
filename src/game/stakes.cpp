#include "stakes.h"

#include <cstdint>
#include <optional>
#include <string>

#include "drawing.h"
#include "fields.h"
#include "input.h"
#include "line_input.h"
#include "number_text.h"
#include "panels.h"
#include "player.h"
#include "program_end.h"
#include "screen.h"
#include "table.h"
#include "vocabulary.h"

namespace game {

namespace {

namespace owned {
StakeBet stakeBet;
}  // namespace owned

}  // namespace

const StakeBet& stakeBet = owned::stakeBet;

namespace {

const char* const chipMessages[chipCount] = {
    "Sie haben 25 Euro               ",
    "Sie haben 50 Euro               ",
    "Sie haben 100 Euro              ",
};

void drawStakeLine() {
    drawPanel(stakeLine);
    printGradient("Einsatz: ", stakeLabelText, greenScheme);
}

}  // namespace

void resetStakes() {
    owned::stakeBet = StakeBet{};
}

void clearStake() {
    owned::stakeBet.typedStakeActive = 0;
    for (int& active : owned::stakeBet.chipActive) active = 0;
    owned::stakeBet.stake = 0;
}

void stakeChip(int chip) {
    owned::stakeBet.stake = chipAmount[chip];
    for (int i = 0; i < chipCount; i++) owned::stakeBet.chipActive[i] = i == chip;
}

void stakeTyped() {
    owned::stakeBet.stake = stakeBet.typedStake;
    owned::stakeBet.typedStakeActive = 1;
    for (int& active : owned::stakeBet.chipActive) active = 0;
}

bool betReady() {
    bool staked = stakeBet.typedStakeActive != 0;
    for (int active : stakeBet.chipActive) staked = staked || active != 0;
    return staked && fieldBet.fieldChosen;
}

bool stakeCovered(int amount) {
    return player.balance >= static_cast<std::uint64_t>(amount);
}

bool chipOpen(int field) {
    if (!inRange(field, chipFields)) return false;
    const int chip = chipOfField(field);
    if (chip == chip100 && !chip100Unlocked) return false;
    return stakeCovered(chipAmount[chip]);
}

void selectChip(int field) {
    if (!chipOpen(field)) return;
    const int chosen = chipOfField(field);
    for (int i = 0; i < chipCount; i++) {
        svc::drawCircle(chipCentreX[i], chipCentreY, chipRingRadius, i == chosen ? 0xFFFFFF : 0);
    }
    drawStakeLine();
    printFirstStatus(chipMessages[chosen]);
    stakeChip(chosen);
}

void drawChipRingsBlack() {
    for (int x : chipCentreX) svc::drawCircle(x, chipCentreY, chipRingRadius, 0);
}

bool onStakeLine(const svc::Mouse& mouse) {
    return contains(stakeLine, mouse.x, mouse.y);
}

void stakeEntry() {
    if (!moneyMode) return;
    drawStakeLine();
    for (;;) {
        printFirstStatus("Limits: Min = " + svc::intToText(stakeMin) + " Max = " + svc::intToText(stakeMax));
        svc::setTextColor(0xFFFFFF);
        svc::setTextCursor(stakeTypingText.row, stakeTypingText.column);
        const std::optional<std::int32_t> typed = svc::inputInteger();
        // The window's close button ends the program here as anywhere.
        if (!typed) svc::endProgram();
        owned::stakeBet.typedStake = *typed;
        if (stakeBet.typedStake >= stakeMin && stakeBet.typedStake <= stakeMax) break;
        drawStakeLine();
    }
    drawPanel(firstStatusLine);
    stakeTyped();
    drawChipRingsBlack();
    printFirstStatus("Sie haben " + svc::intToText(stakeBet.typedStake) + " Euro");
}

}  // namespace game
