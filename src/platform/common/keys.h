#pragma once
// The game's keys, whatever window system delivers them. Each platform names
// its own keys in tables of these shapes; the codes and the numbering live
// here once.
#include <cstddef>
#include <string>
#include <type_traits>

namespace keys {

// Keys that type no character, by what they enter.
// clang-format off
enum class Key : unsigned char {
    enter, backspace, tab, escape,
    up, down, left, right, home, end, insert, del, pageUp, pageDown,
    f1, f2, f3, f4, f5, f6, f7, f8, f9, f10, f11, f12,
};
// clang-format on

// A window system's value for one of those keys.
template <class Value>
struct Named {
    Value value;
    Key key;
};

// What the key enters: one byte, or 255 and a second byte.
std::string code(Key key);

// Names kept as C strings are looked up by a std::string, which compares
// their text rather than where they lie.
template <class Value, class Wanted>
constexpr bool comparable = !(std::is_pointer_v<Value> && std::is_pointer_v<std::decay_t<Wanted>>);

// The code of the key a window system calls `value`; empty when its table
// does not name it.
template <class Value, std::size_t n, class Wanted>
std::string codeOf(const Wanted& value, const Named<Value> (&table)[n]) {
    static_assert(comparable<Value, Wanted>);
    for (const Named<Value>& k : table) {
        if (k.value == value) return code(k.key);
    }
    return {};
}

// What a key enters while Ctrl is held without Alt (Ctrl with Alt is AltGr,
// which types text): a letter, in either case, its control code; anything
// else nothing.
std::string controlCode(char letter);

// Set-1 scancodes, by which the services ask whether a key is held
// (1 = Escape). The cursor block shares its codes with the keypad, as on a
// PC keyboard.
namespace scan {
// clang-format off
enum Code : unsigned char {
    escape = 1, digit1, digit2, digit3, digit4, digit5, digit6, digit7, digit8, digit9, digit0,
    minus, equal, backspace, tab,
    keyQ, keyW, keyE, keyR, keyT, keyY, keyU, keyI, keyO, keyP, bracketLeft, bracketRight, enter, control,
    keyA, keyS, keyD, keyF, keyG, keyH, keyJ, keyK, keyL, semicolon, quote, backquote, shiftLeft, backslash,
    keyZ, keyX, keyC, keyV, keyB, keyN, keyM, comma, period, slash, shiftRight, keypadMultiply,
    alt, space, capsLock,
    f1, f2, f3, f4, f5, f6, f7, f8, f9, f10, numLock, scrollLock,
    home, up, pageUp, keypadMinus, left, keypad5, right, keypadPlus, end, down, pageDown, insert, del,
    intlBackslash = 86, f11, f12,
    metaLeft = 91, metaRight, contextMenu,
};
// clang-format on
}  // namespace scan

// A window system's value for a physical key.
template <class Value>
struct Scan {
    scan::Code set1;
    Value value;
};

// The set-1 scancode of the key a window system calls `value`; 0 when its
// table does not name it.
template <class Value, std::size_t n, class Wanted>
int scancodeOf(const Wanted& value, const Scan<Value> (&table)[n]) {
    static_assert(comparable<Value, Wanted>);
    for (const Scan<Value>& k : table) {
        if (k.value == value) return k.set1;
    }
    return 0;
}

}  // namespace keys
