#pragma once
// Control of the scripted platform, for tests: a virtual clock that only moves
// when the program sleeps or polls, input events scheduled at virtual times,
// message boxes recorded instead of shown, and the window's last shown frame.
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "platform.h"

namespace scripted {

// Thrown by platform::exitProcess: the program ended with this status.
struct ProgramEnded {
    int status;
};
// Thrown when the virtual clock passes the limit set with stopAt().
struct ScriptEnded {};

// Back to a fresh machine: clock 0, no window, no events, no boxes, local
// time 2026-12-07 12:00:00 at clock 0, no stop limit.
void reset();

// Clock ------------------------------------------------------------------
double now();                  // virtual seconds since reset()
void advance(double seconds);  // moves the clock (and local time) on
// Every pollEvent costs this much virtual time, so busy loops progress.
void setPollCost(double seconds);  // default 1e-6
void stopAt(double seconds);       // throw ScriptEnded once the clock passes it
// Local wall-clock time at clock 0; it runs on with the virtual clock.
void setLocalTime(int year, int month, int day, int hour, int minute, int second);
void setLocalTimeUnavailable();

// Input, delivered when the clock reaches the time given ----------------
void at(double seconds, const platform::Event& event);
void mouseAt(double seconds, int x, int y, int buttons);  // inside and active
void mouseOutsideAt(double seconds);
void focusAt(double seconds, bool active);
void keyAt(double seconds, const std::string& code);  // cp437 byte(s)
void closeAt(double seconds);
// Holds the key with this set-1 scancode from `from` until `to`; its going
// down is an event that types nothing.
void holdKey(int scancode, double from, double to);
int pendingEvents();

// Message boxes ----------------------------------------------------------
// Files are keyed by name; a file that was missing has no entry.
using Files = std::map<std::string, std::string>;
struct Box {
    std::string caption, text;  // Windows-1252 bytes
    double time;                // clock when it was shown
    // What lay on disk while the box was up: the player directory's files and
    // the current directory's, so that a test sees what a crash or a closed
    // window at that moment would leave behind.
    Files playerFiles, currentFiles;
};
const std::vector<Box>& boxes();
// The regular files directly in a directory, as a box records them.
Files filesIn(const std::string& dir);
void setBoxDuration(double seconds);  // how long the player takes to press OK

// Window -----------------------------------------------------------------
bool windowOpen();
int windowWidth();
int windowHeight();
std::string windowTitle();
int windowsOpened();
// The icon last set, 0xAARRGGBB, and its size.
const std::vector<std::uint32_t>& windowIcon();
int windowIconSize();
// What the window shows now (low 24 bits of each pixel are what counts).
const std::vector<std::uint32_t>& shownPixels();
int presents();

void setProgramDirectory(const std::string& dir);
// The directory of the player's files that boxes record; none until set.
void setPlayerDirectory(const std::string& dir);

// Windows from the from-th opened on (1: every one) fail with this reason.
void refuseWindows(int from, const std::string& reason);
// The lines the program reported with platform::reportError.
const std::vector<std::string>& errorLines();
int beeps();
// Lines typed since reset(), and whether one is being typed now.
int lineEntries();
bool lineEntryOpen();
// Sleeps and waits that have ended: how often an idle program woke up.
int wakeUps();

}  // namespace scripted
