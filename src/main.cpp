// Rotandor: the program takes no arguments and reads no configuration.
#include "flow.h"

int main() {
    game::run();
}
