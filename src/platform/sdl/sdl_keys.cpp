// SDL's keys by the game's names: what a key that types no character enters,
// and which keys are held.
#include <string>

#include "keys.h"
#include "platform.h"
#include "sdl_shared.h"

using namespace sdl;

namespace {

using keys::Key;

// clang-format off
constexpr keys::Named<SDL_Keycode> namedKeys[] = {
    {SDLK_RETURN, Key::enter}, {SDLK_RETURN2, Key::enter}, {SDLK_KP_ENTER, Key::enter},
    {SDLK_BACKSPACE, Key::backspace}, {SDLK_TAB, Key::tab}, {SDLK_ESCAPE, Key::escape},
    {SDLK_UP, Key::up}, {SDLK_DOWN, Key::down}, {SDLK_LEFT, Key::left}, {SDLK_RIGHT, Key::right},
    {SDLK_HOME, Key::home}, {SDLK_END, Key::end}, {SDLK_INSERT, Key::insert}, {SDLK_DELETE, Key::del},
    {SDLK_PAGEUP, Key::pageUp}, {SDLK_PAGEDOWN, Key::pageDown},
    {SDLK_F1, Key::f1}, {SDLK_F2, Key::f2}, {SDLK_F3, Key::f3}, {SDLK_F4, Key::f4},
    {SDLK_F5, Key::f5}, {SDLK_F6, Key::f6}, {SDLK_F7, Key::f7}, {SDLK_F8, Key::f8},
    {SDLK_F9, Key::f9}, {SDLK_F10, Key::f10}, {SDLK_F11, Key::f11}, {SDLK_F12, Key::f12},
};

// Without Num Lock the keypad is a second set of cursor keys; with it the
// digits arrive as text.
constexpr keys::Named<SDL_Keycode> keypadCursor[] = {
    {SDLK_KP_8, Key::up}, {SDLK_KP_2, Key::down}, {SDLK_KP_4, Key::left}, {SDLK_KP_6, Key::right},
    {SDLK_KP_7, Key::home}, {SDLK_KP_1, Key::end}, {SDLK_KP_0, Key::insert}, {SDLK_KP_PERIOD, Key::del},
    {SDLK_KP_9, Key::pageUp}, {SDLK_KP_3, Key::pageDown},
};

// The SDL scancodes that hold each set-1 key down.
namespace s = keys::scan;
constexpr keys::Scan<SDL_Scancode> scanTable[] = {
    {s::escape, SDL_SCANCODE_ESCAPE}, {s::digit1, SDL_SCANCODE_1}, {s::digit2, SDL_SCANCODE_2},
    {s::digit3, SDL_SCANCODE_3}, {s::digit4, SDL_SCANCODE_4}, {s::digit5, SDL_SCANCODE_5},
    {s::digit6, SDL_SCANCODE_6}, {s::digit7, SDL_SCANCODE_7}, {s::digit8, SDL_SCANCODE_8},
    {s::digit9, SDL_SCANCODE_9}, {s::digit0, SDL_SCANCODE_0},
    {s::minus, SDL_SCANCODE_MINUS}, {s::equal, SDL_SCANCODE_EQUALS}, {s::backspace, SDL_SCANCODE_BACKSPACE},
    {s::tab, SDL_SCANCODE_TAB},
    {s::keyQ, SDL_SCANCODE_Q}, {s::keyW, SDL_SCANCODE_W}, {s::keyE, SDL_SCANCODE_E}, {s::keyR, SDL_SCANCODE_R},
    {s::keyT, SDL_SCANCODE_T}, {s::keyY, SDL_SCANCODE_Y}, {s::keyU, SDL_SCANCODE_U}, {s::keyI, SDL_SCANCODE_I},
    {s::keyO, SDL_SCANCODE_O}, {s::keyP, SDL_SCANCODE_P},
    {s::bracketLeft, SDL_SCANCODE_LEFTBRACKET}, {s::bracketRight, SDL_SCANCODE_RIGHTBRACKET},
    {s::enter, SDL_SCANCODE_RETURN}, {s::enter, SDL_SCANCODE_KP_ENTER}, {s::control, SDL_SCANCODE_LCTRL},
    {s::control, SDL_SCANCODE_RCTRL},
    {s::keyA, SDL_SCANCODE_A}, {s::keyS, SDL_SCANCODE_S}, {s::keyD, SDL_SCANCODE_D}, {s::keyF, SDL_SCANCODE_F},
    {s::keyG, SDL_SCANCODE_G}, {s::keyH, SDL_SCANCODE_H}, {s::keyJ, SDL_SCANCODE_J}, {s::keyK, SDL_SCANCODE_K},
    {s::keyL, SDL_SCANCODE_L},
    {s::semicolon, SDL_SCANCODE_SEMICOLON}, {s::quote, SDL_SCANCODE_APOSTROPHE},
    {s::backquote, SDL_SCANCODE_GRAVE}, {s::shiftLeft, SDL_SCANCODE_LSHIFT},
    {s::backslash, SDL_SCANCODE_BACKSLASH}, {s::backslash, SDL_SCANCODE_NONUSHASH},
    {s::keyZ, SDL_SCANCODE_Z}, {s::keyX, SDL_SCANCODE_X}, {s::keyC, SDL_SCANCODE_C}, {s::keyV, SDL_SCANCODE_V},
    {s::keyB, SDL_SCANCODE_B}, {s::keyN, SDL_SCANCODE_N}, {s::keyM, SDL_SCANCODE_M},
    {s::comma, SDL_SCANCODE_COMMA}, {s::period, SDL_SCANCODE_PERIOD}, {s::slash, SDL_SCANCODE_SLASH},
    {s::slash, SDL_SCANCODE_KP_DIVIDE}, {s::shiftRight, SDL_SCANCODE_RSHIFT},
    {s::keypadMultiply, SDL_SCANCODE_KP_MULTIPLY}, {s::keypadMultiply, SDL_SCANCODE_PRINTSCREEN},
    {s::alt, SDL_SCANCODE_LALT}, {s::alt, SDL_SCANCODE_RALT}, {s::space, SDL_SCANCODE_SPACE},
    {s::capsLock, SDL_SCANCODE_CAPSLOCK},
    {s::f1, SDL_SCANCODE_F1}, {s::f2, SDL_SCANCODE_F2}, {s::f3, SDL_SCANCODE_F3}, {s::f4, SDL_SCANCODE_F4},
    {s::f5, SDL_SCANCODE_F5}, {s::f6, SDL_SCANCODE_F6}, {s::f7, SDL_SCANCODE_F7}, {s::f8, SDL_SCANCODE_F8},
    {s::f9, SDL_SCANCODE_F9}, {s::f10, SDL_SCANCODE_F10},
    {s::numLock, SDL_SCANCODE_NUMLOCKCLEAR}, {s::scrollLock, SDL_SCANCODE_SCROLLLOCK},
    {s::home, SDL_SCANCODE_KP_7}, {s::home, SDL_SCANCODE_HOME}, {s::up, SDL_SCANCODE_KP_8},
    {s::up, SDL_SCANCODE_UP}, {s::pageUp, SDL_SCANCODE_KP_9}, {s::pageUp, SDL_SCANCODE_PAGEUP},
    {s::keypadMinus, SDL_SCANCODE_KP_MINUS}, {s::left, SDL_SCANCODE_KP_4}, {s::left, SDL_SCANCODE_LEFT},
    {s::keypad5, SDL_SCANCODE_KP_5}, {s::right, SDL_SCANCODE_KP_6}, {s::right, SDL_SCANCODE_RIGHT},
    {s::keypadPlus, SDL_SCANCODE_KP_PLUS}, {s::end, SDL_SCANCODE_KP_1}, {s::end, SDL_SCANCODE_END},
    {s::down, SDL_SCANCODE_KP_2}, {s::down, SDL_SCANCODE_DOWN}, {s::pageDown, SDL_SCANCODE_KP_3},
    {s::pageDown, SDL_SCANCODE_PAGEDOWN}, {s::insert, SDL_SCANCODE_KP_0}, {s::insert, SDL_SCANCODE_INSERT},
    {s::del, SDL_SCANCODE_KP_PERIOD}, {s::del, SDL_SCANCODE_DELETE},
    {s::intlBackslash, SDL_SCANCODE_NONUSBACKSLASH}, {s::f11, SDL_SCANCODE_F11}, {s::f12, SDL_SCANCODE_F12},
    {s::metaLeft, SDL_SCANCODE_LGUI}, {s::metaRight, SDL_SCANCODE_RGUI},
    {s::contextMenu, SDL_SCANCODE_APPLICATION},
};
// clang-format on

}  // namespace

namespace sdl {

// Empty for keys that enter nothing (modifiers, locks) or that come as text.
std::string keyCode(const SDL_Keysym& key) {
    std::string code = keys::codeOf(key.sym, namedKeys);
    if (code.empty() && (key.mod & KMOD_NUM) == 0) code = keys::codeOf(key.sym, keypadCursor);
    if (!code.empty()) return code;
    // The window system sends no text for Ctrl with a letter.
    if ((key.mod & KMOD_CTRL) && !(key.mod & KMOD_ALT) && key.sym >= SDLK_a && key.sym <= SDLK_z) {
        return keys::controlCode(static_cast<char>(key.sym));
    }
    return {};
}

}  // namespace sdl

namespace platform {

void keyboardState(bool down[128]) {
    for (int i = 0; i < 128; i++) down[i] = false;
    // Up to date: the services drain the events before they ask.
    if (window == nullptr) return;
    if (SDL_GetKeyboardFocus() != window) return;
    int count = 0;
    const Uint8* held = SDL_GetKeyboardState(&count);
    for (const auto& p : scanTable) {
        if (p.value < count && held[p.value]) down[p.set1] = true;
    }
}

}  // namespace platform
