#pragma once
// The end of the program: files closed, the window gone, the process ended.
#include <string>

namespace svc {

[[noreturn]] void endProgram();
// Ends the program with status 1 after reporting why, on one line.
[[noreturn]] void failProgram(const std::string& reason);

}  // namespace svc
