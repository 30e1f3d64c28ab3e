#include "message_box.h"

#include "platform.h"
#include "records.h"
#include "screen.h"

namespace svc {

void messageBox(const std::string& caption, const std::string& text) {
    // What was drawn or deleted before the box is done when it shows.
    settleDeletes();
    refreshWindow();
    platform::messageBox(caption, text);
    // The box leaves its pixels in the window until the game shows it again.
    refreshWholeWindow();
}

}  // namespace svc
