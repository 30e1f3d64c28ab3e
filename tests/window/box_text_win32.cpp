// Prints every message box on the desktop as one line of UTF-8: its caption,
// a tab, its text with CR, LF and backslash escaped. The window tests read
// the Windows build's real boxes through it under Wine, where the X side
// sees only pixels.
#include <windows.h>

#include <cstdio>
#include <string>

#include "win32_text.h"

namespace {

std::wstring windowText(HWND w) {
    if (w == nullptr) return {};
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(w)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(GetWindowTextW(w, text.data(), static_cast<int>(text.size()))));
    return text;
}

std::string escaped(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == '\r') {
            out += "\\r";
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\\') {
            out += "\\\\";
        } else {
            out += c;
        }
    }
    return out;
}

}  // namespace

int main() {
    // A message box is a dialog of the system's class; its text is the
    // static control with the identifier 0xFFFF.
    for (HWND box = FindWindowExW(nullptr, nullptr, L"#32770", nullptr); box != nullptr;
         box = FindWindowExW(nullptr, box, L"#32770", nullptr)) {
        if (!IsWindowVisible(box)) continue;
        std::printf("%s\t%s\n", escaped(win32text::utf8(windowText(box).c_str())).c_str(),
                    escaped(win32text::utf8(windowText(GetDlgItem(box, 0xFFFF)).c_str())).c_str());
    }
    return 0;
}
