#pragma once
// The betting fields of the table: their hit regions from "Button.txt", the
// one-region-per-pass hit test and the choice of a field. fields.cpp alone
// writes the regions and the field part of the round's bet.
#include <string>

#include "input.h"
#include "vocabulary.h"

namespace game {

struct HitRegion {
    int xLeft = 0, xRight = 0, yTop = 0, yBottom = 0;
};

// The field part of the round's bet; the stake part is stakes.h's.
struct FieldBet {
    // 1.0 on the field that carries the bet once one is chosen.
    double betMarks[fieldCount] = {};
    int chosenField = -1;   // 0..83, -1 when none
    int chosenNumber = -1;  // last number chosen this round, -1 when none
    int fieldChosen = 0;
};

extern const FieldBet& fieldBet;
extern const HitRegion (&regions)[fieldCount];
// The field index tested in the current pass; round-robin over 0..86.
extern const int& regionCursor;

// A new run: no layout read yet, no marks.
void resetFields();
void clearBetMarks();
// The round's reset: no field chosen. The marks stay until the next choice.
void clearFieldChoice();
// The bet is on this field (0..83) from now on.
void betOnField(int field);
void loadLayout();
// One pass's hit test: only with the left button alone, one region a pass.
// Returns whether the tested region was hit.
bool hitTestStep(const svc::Mouse& mouse);
bool fieldOpen(int field);
void chooseField(int field);
// The message shown on choosing a betting field (0..83).
std::string fieldMessage(int field);

}  // namespace game
