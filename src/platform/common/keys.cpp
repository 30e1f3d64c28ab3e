#include "keys.h"

#include "platform.h"

namespace keys {

// Each row of the keyboard where it starts and ends: a name added or lost
// would shift every code after it.
static_assert(scan::escape == 1 && scan::digit0 == 11 && scan::tab == 15);
static_assert(scan::keyQ == 16 && scan::control == 29);
static_assert(scan::keyA == 30 && scan::backslash == 43);
static_assert(scan::keyZ == 44 && scan::keypadMultiply == 55);
static_assert(scan::alt == 56 && scan::capsLock == 58);
static_assert(scan::f1 == 59 && scan::scrollLock == 70);
static_assert(scan::home == 71 && scan::del == 83);
static_assert(scan::f12 == 88 && scan::contextMenu == 93);

std::string code(Key key) {
    namespace k = platform::key;
    const auto extended = [](char second) { return std::string{static_cast<char>(255), second}; };
    switch (key) {
        case Key::enter: return "\r";
        case Key::backspace: return "\b";
        case Key::tab: return "\t";
        case Key::escape: return "\x1b";
        case Key::up: return extended(k::up);
        case Key::down: return extended(k::down);
        case Key::left: return extended(k::left);
        case Key::right: return extended(k::right);
        case Key::home: return extended(k::home);
        case Key::end: return extended(k::end);
        case Key::insert: return extended(k::insert);
        case Key::del: return extended(k::del);
        case Key::pageUp: return extended(k::pageUp);
        case Key::pageDown: return extended(k::pageDown);
        case Key::f11: return extended(k::f11);
        case Key::f12: return extended(k::f12);
        default: break;
    }
    // F1 to F10 follow each other.
    return extended(static_cast<char>(k::f1 + (static_cast<int>(key) - static_cast<int>(Key::f1))));
}

std::string controlCode(char letter) {
    const char c = static_cast<char>(letter | 0x20);
    if (c < 'a' || c > 'z') return {};
    const char code = static_cast<char>(c - 'a' + 1);
    // Ctrl+H, I, J and M would pose as editing keys; they enter nothing.
    if (code == 8 || code == 9 || code == 10 || code == 13) return {};
    return std::string(1, code);
}

}  // namespace keys
