#pragma once
// The fourteen tasks: their titles, how a settlement counts and completes
// them, the two secrets they unlock and the final reward.
#include <string>

namespace game {

// Statistics-screen title of a task (1..14), code page 437.
const char* taskTitle(int task);
// Completion message of a task (1..14), Windows-1252.
std::string taskMessage(int task);

// Checks tied to the winning field, run inside the payout; `win` is what the
// round pays.
void taskStepsInPayout(int win);
// Win counters, the tasks resting on them, the day streak and the weekday.
void taskStepsAfterPayout(int win);
void finalReward();

}  // namespace game
