// The platform in a web page, built with Emscripten and Asyncify: the window
// is a canvas, input comes from DOM events queued by the page (web/page.js),
// and every wait of the game hands the thread back to the browser.
#include <emscripten.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "codepages.h"
#include "keys.h"
#include "platform.h"

// The page's side, in page.js; these only pass values across.
// clang-format off
EM_JS(void, page_open_canvas, (int width, int height, const char* title), {
    Module.page.openCanvas(width, height, UTF8ToString(title));
});
EM_JS(void, page_close_canvas, (), { Module.page.closeCanvas(); });
EM_JS(void, page_set_title, (const char* title), { Module.page.setTitle(UTF8ToString(title)); });
EM_JS(void, page_set_icon, (const std::uint32_t* rgba, int width, int height), {
    Module.page.setIcon(HEAPU8.subarray(rgba, rgba + width * height * 4), width, height);
});
EM_JS(void, page_draw_rows, (const std::uint32_t* rgba, int width, int firstRow, int rows), {
    Module.page.drawRows(HEAPU8.subarray(rgba, rgba + width * rows * 4), width, firstRow, rows);
});
// Next queued input into out[0..6] and key text into text; its kind, or -1.
EM_JS(int, page_take_input, (int* out, char* text, int textSize), {
    var e = Module.page.takeInput();
    if (!e) return -1;
    HEAP32.set(e.numbers, out >> 2);
    stringToUTF8(e.text || "", text, textSize);
    return e.kind;
});
EM_JS(void, page_local_time, (int* out), {
    var d = new Date();
    HEAP32.set([d.getFullYear(), d.getMonth() + 1, d.getDate(), d.getHours(), d.getMinutes(), d.getSeconds()],
               out >> 2);
});
EM_ASYNC_JS(void, page_yield, (), { await Module.page.yieldOnce(); });
EM_ASYNC_JS(void, page_wait_for_input, (int ms), { await Module.page.waitForInput(ms); });
EM_JS(void, page_beep, (), { Module.page.beep(); });
EM_JS(void, page_line_entry, (int open, int x, int y), { Module.page.lineEntry(!!open, x, y); });
EM_JS(void, page_report, (const char* line), { console.error(UTF8ToString(line)); });
EM_ASYNC_JS(void, page_persist, (), { await Module.page.persist(); });
EM_ASYNC_JS(void, page_message_box, (const char* caption, const char* text), {
    await Module.page.messageBox(UTF8ToString(caption), UTF8ToString(text));
});
EM_ASYNC_JS(void, page_end, (int status), {
    await Module.page.persist();
    Module.page.ended(status);
    await new Promise(function() {});  // the game is over: it never resumes
});
// clang-format on

namespace {

// The kinds page.js queues.
enum Input { pointer = 0, keyDown = 1, keyUp = 2, focus = 3, close = 4 };

bool windowOpen = false;
int windowWidth = 0;
std::vector<std::uint32_t> rgba;
bool held[128] = {};
// The busy table loop must let the page handle its events now and then.
constexpr double yieldEveryMs = 10;
double lastYield = 0;

// The DOM key codes that hold each set-1 key down.
namespace s = keys::scan;
constexpr keys::Scan<const char*> scanTable[] = {
    {s::escape, "Escape"},
    {s::digit1, "Digit1"},
    {s::digit2, "Digit2"},
    {s::digit3, "Digit3"},
    {s::digit4, "Digit4"},
    {s::digit5, "Digit5"},
    {s::digit6, "Digit6"},
    {s::digit7, "Digit7"},
    {s::digit8, "Digit8"},
    {s::digit9, "Digit9"},
    {s::digit0, "Digit0"},
    {s::minus, "Minus"},
    {s::equal, "Equal"},
    {s::backspace, "Backspace"},
    {s::tab, "Tab"},
    {s::keyQ, "KeyQ"},
    {s::keyW, "KeyW"},
    {s::keyE, "KeyE"},
    {s::keyR, "KeyR"},
    {s::keyT, "KeyT"},
    {s::keyY, "KeyY"},
    {s::keyU, "KeyU"},
    {s::keyI, "KeyI"},
    {s::keyO, "KeyO"},
    {s::keyP, "KeyP"},
    {s::bracketLeft, "BracketLeft"},
    {s::bracketRight, "BracketRight"},
    {s::enter, "Enter"},
    {s::enter, "NumpadEnter"},
    {s::control, "ControlLeft"},
    {s::control, "ControlRight"},
    {s::keyA, "KeyA"},
    {s::keyS, "KeyS"},
    {s::keyD, "KeyD"},
    {s::keyF, "KeyF"},
    {s::keyG, "KeyG"},
    {s::keyH, "KeyH"},
    {s::keyJ, "KeyJ"},
    {s::keyK, "KeyK"},
    {s::keyL, "KeyL"},
    {s::semicolon, "Semicolon"},
    {s::quote, "Quote"},
    {s::backquote, "Backquote"},
    {s::shiftLeft, "ShiftLeft"},
    {s::backslash, "Backslash"},
    {s::keyZ, "KeyZ"},
    {s::keyX, "KeyX"},
    {s::keyC, "KeyC"},
    {s::keyV, "KeyV"},
    {s::keyB, "KeyB"},
    {s::keyN, "KeyN"},
    {s::keyM, "KeyM"},
    {s::comma, "Comma"},
    {s::period, "Period"},
    {s::slash, "Slash"},
    {s::slash, "NumpadDivide"},
    {s::shiftRight, "ShiftRight"},
    {s::keypadMultiply, "NumpadMultiply"},
    {s::keypadMultiply, "PrintScreen"},
    {s::alt, "AltLeft"},
    {s::alt, "AltRight"},
    {s::space, "Space"},
    {s::capsLock, "CapsLock"},
    {s::f1, "F1"},
    {s::f2, "F2"},
    {s::f3, "F3"},
    {s::f4, "F4"},
    {s::f5, "F5"},
    {s::f6, "F6"},
    {s::f7, "F7"},
    {s::f8, "F8"},
    {s::f9, "F9"},
    {s::f10, "F10"},
    {s::numLock, "NumLock"},
    {s::scrollLock, "ScrollLock"},
    {s::home, "Numpad7"},
    {s::home, "Home"},
    {s::up, "Numpad8"},
    {s::up, "ArrowUp"},
    {s::pageUp, "Numpad9"},
    {s::pageUp, "PageUp"},
    {s::keypadMinus, "NumpadSubtract"},
    {s::left, "Numpad4"},
    {s::left, "ArrowLeft"},
    {s::keypad5, "Numpad5"},
    {s::right, "Numpad6"},
    {s::right, "ArrowRight"},
    {s::keypadPlus, "NumpadAdd"},
    {s::end, "Numpad1"},
    {s::end, "End"},
    {s::down, "Numpad2"},
    {s::down, "ArrowDown"},
    {s::pageDown, "Numpad3"},
    {s::pageDown, "PageDown"},
    {s::insert, "Numpad0"},
    {s::insert, "Insert"},
    {s::del, "NumpadDecimal"},
    {s::del, "Delete"},
    {s::intlBackslash, "IntlBackslash"},
    {s::f11, "F11"},
    {s::f12, "F12"},
    {s::metaLeft, "MetaLeft"},
    {s::metaRight, "MetaRight"},
    {s::contextMenu, "ContextMenu"},
};

using keys::Key;

// The game's keys by DOM key value.
constexpr keys::Named<const char*> namedKeys[] = {
    {"Enter", Key::enter},    {"Backspace", Key::backspace},
    {"Tab", Key::tab},        {"Escape", Key::escape},
    {"ArrowUp", Key::up},     {"ArrowDown", Key::down},
    {"ArrowLeft", Key::left}, {"ArrowRight", Key::right},
    {"Home", Key::home},      {"End", Key::end},
    {"Insert", Key::insert},  {"Delete", Key::del},
    {"PageUp", Key::pageUp},  {"PageDown", Key::pageDown},
    {"F1", Key::f1},          {"F2", Key::f2},
    {"F3", Key::f3},          {"F4", Key::f4},
    {"F5", Key::f5},          {"F6", Key::f6},
    {"F7", Key::f7},          {"F8", Key::f8},
    {"F9", Key::f9},          {"F10", Key::f10},
    {"F11", Key::f11},        {"F12", Key::f12},
};

// The game's code of a key by its DOM key value; characters come as UTF-8 and
// enter as their code page 437 bytes. Empty for keys that enter nothing.
std::string keyCode(const std::string& key, bool ctrl, bool alt) {
    std::string code = keys::codeOf(key, namedKeys);
    if (!code.empty()) return code;
    // Named keys (Shift, Dead, ...) are longer than one character.
    const std::string text = codepage::utf8ToCp437(key);
    if (text.size() != 1 || codepage::cp437ToUtf8(text) != key) return {};
    if (ctrl && !alt) return keys::controlCode(text[0]);
    return text;
}

// Canvas bytes are R, G, B, A; a game pixel's top byte is not alpha.
std::uint32_t toCanvas(std::uint32_t argb, std::uint32_t alpha) {
    return (argb >> 16 & 0xFF) | (argb & 0xFF00) | (argb & 0xFF) << 16 | alpha;
}

}  // namespace

namespace platform {

bool openWindow(int width, int height, const std::string& title) {
    closeWindow();
    if (width <= 0 || height <= 0) return false;
    page_open_canvas(width, height, codepage::cp437ToUtf8(title).c_str());
    windowOpen = true;
    windowWidth = width;
    return true;
}

std::string windowError() {
    return "the page has no canvas";
}

void closeWindow() {
    if (!windowOpen) return;
    page_close_canvas();
    windowOpen = false;
    std::memset(held, 0, sizeof held);
}

void setWindowTitle(const std::string& title) {
    if (windowOpen) page_set_title(codepage::cp437ToUtf8(title).c_str());
}

void setWindowIcon(const std::uint32_t* argb, int width, int height) {
    if (!windowOpen || argb == nullptr || width <= 0 || height <= 0) return;
    std::vector<std::uint32_t> icon(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
    for (std::size_t i = 0; i < icon.size(); i++) icon[i] = toCanvas(argb[i], argb[i] & 0xFF000000u);
    page_set_icon(icon.data(), width, height);
}

std::uintptr_t windowHandle() {
    return windowOpen ? 1 : 0;
}

void present(const std::uint32_t* pixels, int width, int height, int firstRow, int lastRow) {
    if (!windowOpen || pixels == nullptr || width != windowWidth) return;
    if (firstRow < 0) firstRow = 0;
    if (lastRow > height - 1) lastRow = height - 1;
    if (firstRow > lastRow) return;
    const std::size_t begin = static_cast<std::size_t>(firstRow) * static_cast<std::size_t>(width);
    const std::size_t end = static_cast<std::size_t>(lastRow + 1) * static_cast<std::size_t>(width);
    rgba.resize(end - begin);
    for (std::size_t i = begin; i < end; i++) rgba[i - begin] = toCanvas(pixels[i], 0xFF000000u);
    page_draw_rows(rgba.data(), width, firstRow, lastRow - firstRow + 1);
}

bool pollEvent(Event& event) {
    int n[7];
    char text[64];
    for (;;) {
        const int kind = page_take_input(n, text, sizeof text);
        if (kind < 0) break;
        switch (kind) {
            case pointer:
                event = Event{};
                event.kind = EventKind::Mouse;
                event.x = n[0];
                event.y = n[1];
                event.buttons = n[2];
                event.inside = n[3] != 0;
                return true;
            case keyDown: {
                const int scancode = keys::scancodeOf(std::string(text), scanTable);
                if (scancode > 0) held[scancode] = true;
                // The key's value follows its code, after the terminating zero.
                const std::size_t codeLength = std::strlen(text);
                const std::string key(codeLength + 1 < sizeof text ? text + codeLength + 1 : "");
                const std::string code = keyCode(key, n[0] != 0, n[1] != 0);
                if (code.empty()) break;
                event = Event{};
                event.kind = EventKind::Key;
                event.code = code;
                return true;
            }
            case keyUp: {
                const int scancode = keys::scancodeOf(std::string(text), scanTable);
                if (scancode > 0) held[scancode] = false;
                break;
            }
            case focus:
                // Keys let go elsewhere never send their release here.
                if (n[0] == 0) std::memset(held, 0, sizeof held);
                event = Event{};
                event.kind = EventKind::Focus;
                event.active = n[0] != 0;
                return true;
            case close:
                event = Event{};
                event.kind = EventKind::Close;
                return true;
            default: break;
        }
    }
    const double now = emscripten_get_now();
    if (now - lastYield >= yieldEveryMs) {
        page_yield();
        lastYield = emscripten_get_now();
    }
    return false;
}

void keyboardState(bool down[128]) {
    for (int i = 0; i < 128; i++) down[i] = windowOpen && held[i];
}

std::uint64_t counter() {
    return static_cast<std::uint64_t>(emscripten_get_now() * 1000.0);
}

std::uint64_t counterFrequency() {
    return 1000000;
}

void sleepMilliseconds(int ms) {
    if (ms <= 0) return;
    emscripten_sleep(static_cast<unsigned>(ms));
    lastYield = emscripten_get_now();
}

void waitForEvent(int ms) {
    if (ms <= 0) return;
    page_wait_for_input(ms);
    lastYield = emscripten_get_now();
}

bool localTime(LocalTime& out) {
    int t[6];
    page_local_time(t);
    out = LocalTime{t[0], t[1], t[2], t[3], t[4], t[5]};
    return true;
}

void beep() {
    page_beep();
}

void lineEntry(bool open, int x, int y) {
    page_line_entry(open ? 1 : 0, x, y);
}

void messageBox(const std::string& caption, const std::string& text) {
    // What the game wrote before its message must outlast a closed tab.
    page_persist();
    page_message_box(codepage::cp1252ToUtf8(caption).c_str(), codepage::crLfToLf(codepage::cp1252ToUtf8(text)).c_str());
    lastYield = emscripten_get_now();
}

std::string programDirectory() {
    return "/game";
}

void reportError(const std::string& line) {
    page_report(line.c_str());
}

void exitProcess(int status) {
    closeWindow();
    page_end(status);
    for (;;) emscripten_sleep(1000000);
}

}  // namespace platform
