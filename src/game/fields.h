#pragma once
// The betting fields of the table: their hit regions from "Button.txt", the
// one-region-per-pass hit test and the choice of a field.
#include <string>

#include "input.h"
#include "vocabulary.h"

namespace game {

struct HitRegion {
    int xLeft = 0, xRight = 0, yTop = 0, yBottom = 0;
};

extern HitRegion regions[fieldCount];
// The field index tested in the current pass; round-robin over 0..86.
extern int regionCursor;

// A new run: no layout read yet.
void resetRegions();
void loadLayout();
// One pass's hit test: only with the left button alone, one region a pass.
// Returns whether the tested region was hit.
bool hitTestStep(const svc::Mouse& mouse);
bool fieldOpen(int field);
void chooseField(int field);
// The message shown on choosing a betting field (0..83).
std::string fieldMessage(int field);

}  // namespace game
