#pragma once
// The game's message boxes: the settlement's and the tasks' announcements.
#include <string>

namespace game {

// A message box with the game's caption; the text in Windows-1252.
void showMessage(const std::string& text);

}  // namespace game
