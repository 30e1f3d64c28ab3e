// Windows' keys by the game's names: what a key that types no character
// enters. Typed characters come with WM_CHAR.
#include "keys.h"
#include "win32_shared.h"

namespace {

using keys::Key;

// clang-format off
constexpr keys::Named<WPARAM> namedKeys[] = {
    {VK_RETURN, Key::enter}, {VK_BACK, Key::backspace}, {VK_TAB, Key::tab}, {VK_ESCAPE, Key::escape},
    {VK_UP, Key::up}, {VK_DOWN, Key::down}, {VK_LEFT, Key::left}, {VK_RIGHT, Key::right},
    {VK_HOME, Key::home}, {VK_END, Key::end}, {VK_INSERT, Key::insert}, {VK_DELETE, Key::del},
    {VK_PRIOR, Key::pageUp}, {VK_NEXT, Key::pageDown},
    {VK_F1, Key::f1}, {VK_F2, Key::f2}, {VK_F3, Key::f3}, {VK_F4, Key::f4}, {VK_F5, Key::f5}, {VK_F6, Key::f6},
    {VK_F7, Key::f7}, {VK_F8, Key::f8}, {VK_F9, Key::f9}, {VK_F10, Key::f10}, {VK_F11, Key::f11}, {VK_F12, Key::f12},
};
// clang-format on

}  // namespace

namespace win32 {

std::string keyCode(WPARAM vk) {
    std::string code = keys::codeOf(vk, namedKeys);
    if (!code.empty()) return code;
    const bool control = GetKeyState(VK_CONTROL) < 0, alt = GetKeyState(VK_MENU) < 0;
    if (control && !alt && vk >= 'A' && vk <= 'Z') return keys::controlCode(static_cast<char>(vk));
    return {};
}

}  // namespace win32
