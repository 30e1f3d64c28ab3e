#pragma once
// The roulette table screen: its set-up and the loop that runs until the
// program ends.
namespace game {

void openTable();
// One pass of the table loop; returns whether the left button alone was down.
bool tablePass();
[[noreturn]] void runTable();

}  // namespace game
