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
#include "platform.h"

// The page's side, in page.js; these only pass values across.
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

// Set-1 scancodes by DOM key code: the keys that are held down.
struct ScanPair {
    unsigned char set1;
    const char* code;
};

constexpr ScanPair scanTable[] = {
    {1, "Escape"}, {2, "Digit1"}, {3, "Digit2"}, {4, "Digit3"}, {5, "Digit4"}, {6, "Digit5"},
    {7, "Digit6"}, {8, "Digit7"}, {9, "Digit8"}, {10, "Digit9"}, {11, "Digit0"}, {12, "Minus"},
    {13, "Equal"}, {14, "Backspace"}, {15, "Tab"}, {16, "KeyQ"}, {17, "KeyW"}, {18, "KeyE"},
    {19, "KeyR"}, {20, "KeyT"}, {21, "KeyY"}, {22, "KeyU"}, {23, "KeyI"}, {24, "KeyO"}, {25, "KeyP"},
    {26, "BracketLeft"}, {27, "BracketRight"}, {28, "Enter"}, {28, "NumpadEnter"}, {29, "ControlLeft"},
    {29, "ControlRight"}, {30, "KeyA"}, {31, "KeyS"}, {32, "KeyD"}, {33, "KeyF"}, {34, "KeyG"},
    {35, "KeyH"}, {36, "KeyJ"}, {37, "KeyK"}, {38, "KeyL"}, {39, "Semicolon"}, {40, "Quote"},
    {41, "Backquote"}, {42, "ShiftLeft"}, {43, "Backslash"}, {44, "KeyZ"}, {45, "KeyX"}, {46, "KeyC"},
    {47, "KeyV"}, {48, "KeyB"}, {49, "KeyN"}, {50, "KeyM"}, {51, "Comma"}, {52, "Period"},
    {53, "Slash"}, {53, "NumpadDivide"}, {54, "ShiftRight"}, {55, "NumpadMultiply"}, {55, "PrintScreen"},
    {56, "AltLeft"}, {56, "AltRight"}, {57, "Space"}, {58, "CapsLock"}, {59, "F1"}, {60, "F2"},
    {61, "F3"}, {62, "F4"}, {63, "F5"}, {64, "F6"}, {65, "F7"}, {66, "F8"}, {67, "F9"}, {68, "F10"},
    {69, "NumLock"}, {70, "ScrollLock"}, {71, "Numpad7"}, {71, "Home"}, {72, "Numpad8"}, {72, "ArrowUp"},
    {73, "Numpad9"}, {73, "PageUp"}, {74, "NumpadSubtract"}, {75, "Numpad4"}, {75, "ArrowLeft"},
    {76, "Numpad5"}, {77, "Numpad6"}, {77, "ArrowRight"}, {78, "NumpadAdd"}, {79, "Numpad1"},
    {79, "End"}, {80, "Numpad2"}, {80, "ArrowDown"}, {81, "Numpad3"}, {81, "PageDown"},
    {82, "Numpad0"}, {82, "Insert"}, {83, "NumpadDecimal"}, {83, "Delete"}, {86, "IntlBackslash"},
    {87, "F11"}, {88, "F12"}, {91, "MetaLeft"}, {92, "MetaRight"}, {93, "ContextMenu"},
};

int scancodeOf(const std::string& code) {
    for (const ScanPair& p : scanTable) {
        if (code == p.code) return p.set1;
    }
    return 0;
}

std::string extended(char second) {
    return std::string{static_cast<char>(255), second};
}

// The game's code of a key by its DOM key value; characters come as UTF-8 and
// enter as their code page 437 bytes. Empty for keys that enter nothing.
std::string keyCode(const std::string& key, bool ctrl, bool alt) {
    namespace k = platform::key;
    struct Named {
        const char* name;
        const char* code;
    };
    static const Named named[] = {
        {"Enter", "\r"}, {"Backspace", "\b"}, {"Tab", "\t"}, {"Escape", "\x1b"},
    };
    for (const Named& n : named) {
        if (key == n.name) return n.code;
    }
    struct Extended {
        const char* name;
        char second;
    };
    static const Extended extendedKeys[] = {
        {"ArrowUp", k::up},     {"ArrowDown", k::down}, {"ArrowLeft", k::left},  {"ArrowRight", k::right},
        {"Home", k::home},      {"End", k::end},        {"Insert", k::insert},   {"Delete", k::del},
        {"PageUp", k::pageUp},  {"PageDown", k::pageDown}, {"F11", k::f11},      {"F12", k::f12},
    };
    for (const Extended& e : extendedKeys) {
        if (key == e.name) return extended(e.second);
    }
    if (key.size() >= 2 && key[0] == 'F' && key.size() <= 3) {
        const int n = std::atoi(key.c_str() + 1);
        if (n >= 1 && n <= 10) return extended(static_cast<char>(k::f1 + n - 1));
    }
    // Named keys (Shift, Dead, ...) are longer than one character.
    const std::string text = codepage::utf8ToCp437(key);
    if (text.size() != 1 || codepage::cp437ToUtf8(text) != key) return {};
    // Ctrl with a letter types its control code; Ctrl with Alt is AltGr.
    if (ctrl && !alt) {
        const char c = static_cast<char>(text[0] | 0x20);
        if (c < 'a' || c > 'z') return {};
        const char code = static_cast<char>(c - 'a' + 1);
        // Ctrl+H, I, J and M would pose as editing keys; they enter nothing.
        if (code == 8 || code == 9 || code == 10 || code == 13) return {};
        return std::string(1, code);
    }
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
                const int scancode = scancodeOf(text);
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
                const int scancode = scancodeOf(text);
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
            default:
                break;
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

void messageBox(const std::string& caption, const std::string& text) {
    // What the game wrote before its message must outlast a closed tab.
    page_persist();
    page_message_box(codepage::cp1252ToUtf8(caption).c_str(),
                     codepage::crLfToLf(codepage::cp1252ToUtf8(text)).c_str());
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
