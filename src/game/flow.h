#pragma once
// The program from start-up to its end: the statistics screen, then the table.
namespace game {

// Everything a run starts from; a process runs once, tests run many times.
void resetRunState();

// Runs the program; ends only through svc::endProgram.
[[noreturn]] void run();

}  // namespace game
