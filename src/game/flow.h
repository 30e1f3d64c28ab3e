#pragma once
// The program from start-up to its end: the statistics screen, then the table.
namespace game {

// Runs the program; ends only through svc::endProgram.
[[noreturn]] void run();

}  // namespace game
