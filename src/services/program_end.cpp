// The end of the program, on every way out: the files closed (so a delete
// that waits for a rewrite is carried out), the window closed, then the exit.
#include "program_end.h"

#include <algorithm>
#include <string>

#include "platform.h"
#include "records.h"
#include "screen.h"

namespace svc {

namespace {

[[noreturn]] void leave(int status) {
    closeAllFiles();
    resetScreen();
    platform::exitProcess(status);
}

}  // namespace

void endProgram() {
    leave(0);
}

void failProgram(const std::string& reason) {
    std::string line = "rotandor: " + reason;
    std::replace(line.begin(), line.end(), '\n', ' ');
    platform::reportError(line);
    leave(1);
}

}  // namespace svc
