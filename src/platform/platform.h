#pragma once
// The one seam between the services and the operating system. One
// implementation is picked at link time: sdl_platform.cpp for the game on the
// desktop, web_platform.cpp for the game in a web page, scripted_platform.cpp
// for the tests (virtual clock, scripted input, recorded message boxes).
// Nothing outside src/platform knows which one runs.
//
// Texts crossing the seam keep the game's encodings: window titles and typed
// characters are code page 437 bytes, message boxes Windows-1252 bytes. The
// platform converts them; the services never do.
#include <cstdint>
#include <string>

namespace platform {

// Window ---------------------------------------------------------------------

// Opens a window whose client area is exactly width x height, centred, not
// resizable, titled, brought to the front. Closes any window open before.
bool openWindow(int width, int height, const std::string& title);
// Why the last openWindow failed, in the window system's words.
std::string windowError();
void closeWindow();
void setWindowTitle(const std::string& title);
// 32-bit 0xAARRGGBB pixels, row by row.
void setWindowIcon(const std::uint32_t* argb, int width, int height);
// Native handle of the open window, 0 when none.
std::uintptr_t windowHandle();
// Shows rows firstRow..lastRow (inclusive) of a width x height buffer of
// 0xAARRGGBB pixels; only the low 24 bits are visible.
void present(const std::uint32_t* pixels, int width, int height, int firstRow, int lastRow);

// Input ----------------------------------------------------------------------

enum class EventKind {
    Mouse,    // pointer moved or a button changed: x, y, buttons, inside
    Focus,    // window became active or inactive: active
    Key,      // a key was typed: code (1 byte cp437, or 255 + a second byte)
    Close,    // the close button was pressed
    Exposed,  // the window needs its whole content shown again
};

struct Event {
    EventKind kind = EventKind::Mouse;
    int x = 0, y = 0;
    int buttons = 0;      // bit 0 left, bit 1 right, bit 2 middle
    bool inside = false;  // pointer inside the client area
    bool active = false;
    std::string code;
};

// Second bytes of the extended key codes (255 followed by one of these).
// The close button is 255 followed by 'k'.
namespace key {
constexpr char up = 'H', down = 'P', left = 'K', right = 'M';
constexpr char home = 'G', end = 'O', insert = 'R', del = 'S';
constexpr char pageUp = 'I', pageDown = 'Q';
constexpr char f1 = 0x3B;  // F1..F10 are 0x3B..0x44
constexpr char f11 = static_cast<char>(0x85), f12 = static_cast<char>(0x86);
constexpr char close = 'k';
}  // namespace key

// Takes the next pending event; false when none is waiting.
bool pollEvent(Event& event);
// Which keys are held now, by set-1 scancode (1 = Escape).
void keyboardState(bool down[128]);

// Time -----------------------------------------------------------------------

std::uint64_t counter();           // monotonic high-resolution counter
std::uint64_t counterFrequency();  // counts per second
void sleepMilliseconds(int ms);
// Sleeps up to ms, less when an event for the window comes in first.
void waitForEvent(int ms);

struct LocalTime {
    int year, month, day, hour, minute, second;
};
// Local wall-clock date and time, whole seconds; false when unavailable.
bool localTime(LocalTime& out);

// System ---------------------------------------------------------------------

// A short tone; nothing, and at once, where there is no sound device.
void beep();
// Blocks until the player dismisses it: one OK button, information icon.
void messageBox(const std::string& caption, const std::string& text);
// Directory holding the program file, without a trailing separator.
std::string programDirectory();
// One line for whoever started the program (standard error on a desktop).
void reportError(const std::string& line);
[[noreturn]] void exitProcess(int status);

}  // namespace platform
