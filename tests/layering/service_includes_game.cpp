// Must not compile: the services never see the game.
#include "table.h"
