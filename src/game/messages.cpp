#include "messages.h"

#include "message_box.h"

namespace game {

void showMessage(const std::string& text) {
    svc::messageBox("Rotandor", text);
}

}  // namespace game
