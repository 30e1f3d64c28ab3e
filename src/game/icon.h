#pragma once
namespace game {

// Gives the window the program's icon "MY_ICON" (32 x 32, 16 colours).
void setGameIcon();

}  // namespace game
