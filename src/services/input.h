#pragma once
// Mouse and keyboard, polled: the platform's events are taken in whenever the
// game polls or waits and the screen is not locked.
#include <cstdint>
#include <string>

namespace svc {

struct Mouse {
    int x, y, buttons;  // all -1 when the window is inactive or the pointer outside
};

// The set-1 scancode of Escape.
constexpr int escapeKey = 1;

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

// Takes in the platform's pending events (mouse, focus, keys, close, expose)
// and refreshes the window. Does nothing while the screen is locked.
void pumpEvents();
// Forgets all input state (new window, or a fresh run in tests).
void resetInput();

// For the waits (timer.h) ------------------------------------------------------

// Events taken in so far: a wait for input ends when this grows.
std::uint64_t eventsTaken();
// The game slept this long: a press the screen looked at ends after a while of it.
void sleptFor(double seconds);
// Whether a key came in since the last look; the look forgets it.
bool takeKeyHit();

}  // namespace svc
