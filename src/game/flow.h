#pragma once
// The program from start-up to its end: the statistics screen, then the table.
namespace game {

// The one file number taken at start-up, used for every file; written here.
extern const int& fileNumber;
void takeFileNumber();

// Everything a run starts from; a process runs once, tests run many times.
void resetRunState();

// Runs the program; ends only through svc::endProgram, or svc::failProgram
// when a window cannot be opened.
[[noreturn]] void run();

// A new window of this size for the next screen; without one the program
// cannot go on.
void openScreen(int width, int height);

}  // namespace game
