#pragma once
// The one seam between the services and the operating system. One
// implementation is picked at link time, one folder each: sdl/ or win32/
// for the game on the desktop, web/ for the game in a web page, scripted/
// for the tests (virtual clock, scripted input, recorded message boxes); the
// files below come from posix/ or win32/.
// Nothing outside src/platform knows which one runs.
//
// Texts crossing the seam keep the game's encodings: window titles and typed
// characters are code page 437 bytes, message boxes Windows-1252 bytes. The
// platform converts them; the services never do.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace platform {

// Window ---------------------------------------------------------------------

// Opens a window for a width x height frame, centred, titled, brought to the
// front. Closes any window open before. The window may show the frame at a
// whole factor, centred on black (SDL: resizable, 2x on large desktops);
// mouse positions still come in frame pixels.
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
// The close button comes as EventKind::Close; the services put it in the
// key ring as 255 followed by close.
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
// A line is being typed (open), starting at frame pixel (x, y), or no longer.
// A touch screen without keys of its own opens its on-screen keyboard there.
void lineEntry(bool open, int x, int y);

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

// Files ----------------------------------------------------------------------
//
// Paths are UTF-8 bytes; "/" separates on every system. Every call reports
// failure instead of throwing.

using FileHandle = std::intptr_t;
constexpr FileHandle noFile = -1;
constexpr FileHandle fileAlreadyThere = -2;  // createNew: the name is taken

enum class FileMode {
    read,       // an existing file, from its start
    append,     // created when missing; every write goes to the end
    createNew,  // a new file; fileAlreadyThere when the name exists
};
FileHandle openFile(const std::string& path, FileMode mode);
// Bytes read, 0 at the end, -1 on an error.
std::int64_t readFile(FileHandle file, void* buffer, std::size_t size);
// True when all bytes were written.
bool writeFile(FileHandle file, const void* data, std::size_t size);
// True once everything written has reached the disk.
bool syncFile(FileHandle file);
bool closeFile(FileHandle file);
// The size of an open regular file; false for anything else.
bool regularFileSize(FileHandle file, std::uint64_t& size);
// Gives a new file the access rights of the file it will replace.
void copyAccessRights(const std::string& fromPath, FileHandle to);

enum class PathKind { missing, file, directory, unknown };
// followLinks false: a symbolic link is a file of its own.
PathKind pathKind(const std::string& path, bool followLinks = true);
// Whether files can be created and removed in this directory.
bool directoryWritable(const std::string& dir);
// One directory, readable by the player only.
bool makeDirectory(const std::string& path);
// Names in a directory, without "." and "..".
std::vector<std::string> listDirectory(const std::string& dir);
// Puts `from` in place of `to` in one step, replacing it: afterwards the path
// names the old or the new file, never neither, and the name is on disk.
bool replaceFile(const std::string& from, const std::string& to);
// Renames without ever replacing an existing file.
enum class RenameResult { done, sourceMissing, failed };
RenameResult renameNoReplace(const std::string& from, const std::string& to);
bool removeFile(const std::string& path);
// Makes the names in a directory durable (after a replaceFile).
bool syncDirectory(const std::string& dir);

// Temporary files name their writer; one that no longer runs left them.
long processId();
bool processGone(long id);

// Where the player's files live, without a trailing separator.
std::string playerDirectory();

}  // namespace platform
