#pragma once
// The roulette table screen: its set-up, its lines and the loop that runs
// until the program ends.
#include <string_view>

namespace game {

// The table's lines, each written in one place. A line is emptied by drawing
// its panel again; messages that share it are padded to one width so that
// each covers the one before.
// The first status line: chips, stakes and limits.
void printFirstStatus(std::string_view text);
// The second status line: the chosen field and the prompts.
void printSecondStatus(std::string_view text);
// "Machen sie bitte ihr Spiel!", the prompt of every new round.
void printPrompt();
// "Guthaben: 375 Euro", in money mode only; `euroEnd` is " Euro" or " Euro "
// as the caller draws it.
void printBalance(std::string_view euroEnd);

void openTable();
// One pass of the table loop; returns whether the left button alone was down.
bool tablePass();
[[noreturn]] void runTable();

}  // namespace game
