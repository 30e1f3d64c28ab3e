#pragma once
// Mouse, keyboard, timing, random numbers, line input and the end of the
// program. Input is polled; the platform's events are taken in whenever the
// game polls or waits and the screen is not locked.
#include <cstdint>
#include <optional>
#include <string>

namespace svc {

struct Mouse {
    int x, y, buttons;  // all -1 when the window is inactive or the pointer outside
};

// A left press reads as held at its place until the game has looked long
// enough to act on it, even when the button is already up again.

Mouse readMouse();
// Ends a press the game has looked at already: the line input it opened has
// taken it, and the screen must not see it again once the input is over.
void takeSeenPress();
// -1 while the key with this set-1 scancode is held, else 0.
int isKeyDown(int scancode);
// Oldest key of the 16-slot ring: one byte, or 255 and a second byte; "" when empty.
std::string readKey();
void sleepMs(int ms);   // from 100 ms on, a key ends the wait early
void delayMs(int ms);   // always the full time
// Up to ms, less as soon as the window reports anything (key, button, pointer).
void waitForInput(int ms);
double timerSeconds();

enum RandomAlgorithm { defaultGenerator = 0, fastGenerator = 2 };
void seedRandom(double seed, int algorithm);
double randomUnit(float n = 1.0f);

// Line input at the text cursor; the first item of the line as an integer,
// or nothing when the window's close button ended the input (the caller
// decides what a close means).
std::optional<std::int32_t> inputInteger();

[[noreturn]] void endProgram();
// Ends the program with status 1 after reporting why, on one line.
[[noreturn]] void failProgram(const std::string& reason);

// Takes in the platform's pending events (mouse, focus, keys, close, expose)
// and refreshes the window. Does nothing while the screen is locked.
void pumpEvents();
// Forgets all input state (new window, or a fresh run in tests).
void resetInput();

}  // namespace svc
