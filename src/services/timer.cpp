// The timer and the waits. A wait takes in the window's events as it goes,
// so that what the game drew shows and input is not lost while it sleeps.
#include "timer.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "input.h"
#include "platform.h"
#include "screen.h"

namespace svc {

namespace {

// ms between two looks at the window during a timed wait: often enough to
// show drawing at once. A wait for input sleeps whole until something comes.
constexpr int waitSlice = 20;

// Waits the time asked for, taking in events as they come so that the window
// stays up to date. A timed wait looks in short slices; with untilInput it
// sleeps until the window reports something, and ends then. The time left is
// reckoned against the counter, so the overrun of each sleep and the pumps
// between them do not add up: a spin's 140 waits would otherwise run seconds
// long.
void waitTaking(int ms, bool untilInput = false) {
    if (ms <= 0 || platform::counterFrequency() == 0) return;
    const std::uint64_t start = platform::counter();
    const std::uint64_t taken = eventsTaken();
    // Without a window to take events from there is nothing to wake for.
    untilInput = untilInput && screenOpen() && lockCount() == 0;
    for (;;) {
        const long left = std::lround(ms - secondsSince(start) * 1000);
        if (left <= 0) break;
        const std::uint64_t slept = platform::counter();
        if (untilInput) {
            platform::waitForEvent(static_cast<int>(left));
        } else {
            platform::sleepMilliseconds(static_cast<int>(std::min(left, static_cast<long>(waitSlice))));
        }
        sleptFor(secondsSince(slept));
        pumpEvents();
        if (untilInput && eventsTaken() != taken) break;
    }
}

}  // namespace

void sleepMs(int ms) {
    if (ms < 100) {
        waitTaking(ms);
        return;
    }
    // A key that came in before the call counts too.
    pumpEvents();
    int remaining = ms;
    while (remaining > 50) {
        if (takeKeyHit()) return;
        waitTaking(50);
        remaining -= 50;
    }
    waitTaking(remaining);
}

void delayMs(int ms) {
    waitTaking(ms);
}

void waitForInput(int ms) {
    waitTaking(ms, true);
}

double timerSeconds() {
    const std::uint64_t count = platform::counter();
    const std::uint64_t frequency = platform::counterFrequency();
    if (frequency == 0) return 0;
    // Whole seconds exactly, then the fraction: the seeds are whole seconds.
    return static_cast<double>(count / frequency) +
           static_cast<double>(count % frequency) / static_cast<double>(frequency);
}

double secondsSince(std::uint64_t counterReading) {
    const std::uint64_t frequency = platform::counterFrequency();
    if (frequency == 0) return 0;
    return static_cast<double>(platform::counter() - counterReading) / static_cast<double>(frequency);
}

}  // namespace svc
