#pragma once
// Blocking message boxes: one OK button, information icon, no owner window.
#include <string>

namespace svc {

// Caption and text in Windows-1252; CR LF breaks lines.
void messageBox(const std::string& caption, const std::string& text);

}  // namespace svc
