// Must not compile: the game sees the services, never the platform seam.
#include "platform.h"
