// The beep: the system's own sound for an information; silent where sound is off.
#include "platform.h"
#include "win32_shared.h"

namespace platform {

void beep() {
    MessageBeep(MB_OK);
}

}  // namespace platform
