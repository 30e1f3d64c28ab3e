#pragma once
// The first screen of a run: open tasks, counters and the balance, and the
// panel to click for the table.
namespace game {

void drawStatisticsScreen();
// Waits for input until the panel is clicked; keys and Escape end the program.
void waitForTableClick();

}  // namespace game
