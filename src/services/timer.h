#pragma once
// The timer and the waits: the game's clock in seconds, and sleeping while
// the window stays up to date.
#include <cstdint>

namespace svc {

void sleepMs(int ms);  // from 100 ms on, a key ends the wait early
void delayMs(int ms);  // always the full time
// Up to ms, less as soon as the window reports anything (key, button, pointer).
void waitForInput(int ms);
double timerSeconds();

// Seconds since an earlier reading of the platform's counter, without the
// rounding of two timerSeconds values (for the other services).
double secondsSince(std::uint64_t counterReading);

}  // namespace svc
