#include "flow.h"

#include "input.h"

namespace game {

void run() {
    svc::endProgram();
}

}  // namespace game
