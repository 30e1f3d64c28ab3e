// Mouse, keyboard, waiting, the timer, random numbers and the end of the
// program. Input is taken in from the platform whenever the game polls or
// waits, never while the screen is locked, so one locked frame sees one state.
#include "input.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>

#include "platform.h"
#include "records.h"
#include "screen.h"

namespace svc {

namespace {

constexpr int ringSlots = 16;  // one slot stays free: at most 15 keys wait
constexpr int scancodes = 128;
// ms between two looks at the window during a timed wait: often enough to
// show drawing at once. A wait for input sleeps whole until something comes.
constexpr int waitSlice = 20;
// A left press reads as held, at the place it was pressed, until the game has
// had the time to act on it: a tap that is over before the next look would
// otherwise be lost. It lasts until the screen has looked pressLooks times,
// enough for a screen that tests one of its places per look to come round,
// or, for a screen that looks seldom, pressSeconds from its first look. A
// press not looked at yet waits for its look, however long that takes.
constexpr int pressLooks = 100;
constexpr double pressSeconds = 0.25;
const std::string closeKey = std::string("\xFF") + platform::key::close;

struct Press {
    bool pending = false;
    int x = 0, y = 0, buttons = 0;
    int looks = 0;
    std::uint64_t firstLook = 0;  // counter value
};

// What belongs to one window: a new window starts afresh.
struct WindowInput {
    int serial = -1;
    int x = 0, y = 0, buttons = 0;
    bool inside = false;  // until the first mouse event says otherwise
    bool active = true;   // a new window is mapped with the focus
    bool down[scancodes] = {};
    std::string ring[ringSlots];
    int oldest = 0, next = 0;
    bool keyHit = false;
    Press press;
};

WindowInput input;
// Events taken in so far, for waits that end when something comes in.
std::uint64_t eventsTaken = 0;

constexpr int mtSize = 624;
constexpr int mtMiddle = 397;

struct Random {
    int algorithm = defaultGenerator;
    std::uint32_t mt[mtSize] = {};
    int position = mtSize;
    std::uint32_t fast = 0;
    double last = 0;
};

Random rng;

void followWindow() {
    const int serial = windowSerial();
    if (input.serial == serial) return;
    input = WindowInput{};
    input.serial = serial;
}

void pushKey(const std::string& code) {
    if ((input.next + 1) % ringSlots == input.oldest) input.oldest = (input.oldest + 1) % ringSlots;
    input.ring[input.next] = code;
    input.next = (input.next + 1) % ringSlots;
    input.keyHit = true;
}

void takeKeyEvent(const std::string& code) {
    if (code.empty()) return;
    if (static_cast<unsigned char>(code[0]) == 0xFF && code.size() >= 2) {
        pushKey(code.substr(0, 2));
        return;
    }
    // Typed text: each byte is one key.
    for (char c : code) pushKey(std::string(1, c));
}

void take(const platform::Event& e) {
    switch (e.kind) {
        case platform::EventKind::Mouse: {
            const bool pressed = (e.buttons & 1) != 0 && (input.buttons & 1) == 0;
            input.x = e.x;
            input.y = e.y;
            input.buttons = e.buttons;
            input.inside = e.inside;
            if (pressed) input.press = Press{true, e.x, e.y, e.buttons, 0, 0};
            break;
        }
        case platform::EventKind::Focus:
            input.active = e.active;
            if (!e.active) input.press = Press{};
            break;
        case platform::EventKind::Key:
            takeKeyEvent(e.code);
            break;
        case platform::EventKind::Close:
            pushKey(closeKey);
            break;
        case platform::EventKind::Exposed:
            refreshWholeWindow();
            break;
    }
}

double secondsSince(std::uint64_t count) {
    const std::uint64_t frequency = platform::counterFrequency();
    if (frequency == 0) return 0;
    return static_cast<double>(platform::counter() - count) / static_cast<double>(frequency);
}

// Ends a press that has been up long enough. Only here, where input is taken
// in, so that one locked frame sees one state.
void settlePress() {
    const Press& p = input.press;
    if (!p.pending || (input.buttons & 1) != 0 || p.looks == 0) return;
    if (p.looks >= pressLooks || secondsSince(p.firstLook) >= pressSeconds) input.press = Press{};
}

// Waits the time asked for, taking in events as they come so that the window
// stays up to date. A timed wait looks in short slices; with untilInput it
// sleeps until the window reports something, and ends then. The time left is
// reckoned against the counter, so the overrun of each sleep and the pumps
// between them do not add up: a spin's 140 waits would otherwise run seconds
// long.
void waitTaking(int ms, bool untilInput = false) {
    if (ms <= 0 || platform::counterFrequency() == 0) return;
    const std::uint64_t start = platform::counter();
    const std::uint64_t taken = eventsTaken;
    // Without a window to take events from there is nothing to wake for.
    untilInput = untilInput && screenOpen() && lockCount() == 0;
    for (;;) {
        const long left = std::lround(ms - secondsSince(start) * 1000);
        if (left <= 0) break;
        if (untilInput) {
            platform::waitForEvent(static_cast<int>(left));
        } else {
            platform::sleepMilliseconds(static_cast<int>(std::min(left, static_cast<long>(waitSlice))));
        }
        pumpEvents();
        if (untilInput && eventsTaken != taken) break;
    }
}

void seedDefault(std::uint32_t seed) {
    rng.mt[0] = seed;
    for (int i = 1; i < mtSize; i++) rng.mt[i] = rng.mt[i - 1] * 1664525u + 1013904223u;
    rng.position = mtSize;
}

void regenerate() {
    for (int i = 0; i < mtSize; i++) {
        const std::uint32_t y = (rng.mt[i] & 0x80000000u) | (rng.mt[(i + 1) % mtSize] & 0x7FFFFFFFu);
        rng.mt[i] = rng.mt[(i + mtMiddle) % mtSize] ^ (y >> 1) ^ ((y & 1u) ? 0x9908B0DFu : 0u);
    }
    rng.position = 0;
}

std::uint32_t nextDefault() {
    if (rng.position >= mtSize) regenerate();
    std::uint32_t y = rng.mt[rng.position++];
    y ^= y >> 11;
    y ^= (y << 7) & 0x9D2C5680u;
    y ^= (y << 15) & 0xEFC60000u;
    y ^= y >> 18;
    return y;
}

// Truncation toward zero to 64 bits; values that do not fit (and NaN) give
// the processor's "integer indefinite", whose low word is 0.
std::uint32_t seedWord(double seed) {
    if (!(seed > -9223372036854775808.0 && seed < 9223372036854775808.0)) return 0;
    return static_cast<std::uint32_t>(static_cast<std::uint64_t>(static_cast<std::int64_t>(seed)));
}

void resetRandom() {
    rng = Random{};
    seedDefault(0);
}

const bool randomReady = (resetRandom(), true);

[[noreturn]] void leave(int status) {
    closeAllFiles();
    resetScreen();
    platform::exitProcess(status);
}

}  // namespace

void pumpEvents() {
    settleDeletes();
    if (!screenOpen() || lockCount() > 0) return;
    followWindow();
    platform::Event e;
    while (platform::pollEvent(e)) {
        take(e);
        eventsTaken++;
    }
    settlePress();
    if (input.active) {
        platform::keyboardState(input.down);
    } else {
        std::fill(std::begin(input.down), std::end(input.down), false);
    }
    refreshWindow();
}

Mouse readMouse() {
    pumpEvents();
    followWindow();
    if (!screenOpen() || !input.active) return Mouse{-1, -1, -1};
    Press& p = input.press;
    if (p.pending && p.looks++ == 0) p.firstLook = platform::counter();
    if (p.pending && (input.buttons & 1) == 0) return Mouse{p.x, p.y, p.buttons | input.buttons};
    if (!input.inside) return Mouse{-1, -1, -1};
    return Mouse{input.x, input.y, input.buttons};
}

void takeSeenPress() {
    if (input.press.looks > 0) input.press = Press{};
}

int isKeyDown(int scancode) {
    pumpEvents();
    followWindow();
    if (!screenOpen() || scancode < 0 || scancode >= scancodes) return 0;
    return input.down[scancode] ? -1 : 0;
}

std::string readKey() {
    pumpEvents();
    followWindow();
    input.keyHit = false;
    if (input.oldest == input.next) return "";
    std::string key = std::move(input.ring[input.oldest]);
    input.ring[input.oldest].clear();
    input.oldest = (input.oldest + 1) % ringSlots;
    return key;
}

void sleepMs(int ms) {
    if (ms < 100) {
        waitTaking(ms);
        return;
    }
    // A key that came in before the call counts too.
    pumpEvents();
    followWindow();
    int remaining = ms;
    while (remaining > 50) {
        const bool hit = input.keyHit;
        input.keyHit = false;
        if (hit) return;
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

void seedRandom(double seed, int algorithm) {
    const std::uint32_t word = seedWord(seed);
    if (algorithm == fastGenerator) {
        rng.algorithm = fastGenerator;
        rng.fast = word;
    } else {
        rng.algorithm = defaultGenerator;
        seedDefault(word);
    }
}

double randomUnit(float n) {
    if (n == 0.0f) return rng.last;
    std::uint32_t word;
    if (rng.algorithm == fastGenerator) {
        rng.fast = rng.fast * 1664525u + 1013904223u;
        word = rng.fast;
    } else {
        word = nextDefault();
    }
    rng.last = static_cast<double>(word) / 4294967296.0;
    return rng.last;
}

void endProgram() {
    leave(0);
}

void failProgram(const std::string& reason) {
    std::string line = "rotandor: " + reason;
    std::replace(line.begin(), line.end(), '\n', ' ');
    platform::reportError(line);
    leave(1);
}

void resetInput() {
    input = WindowInput{};
    resetRandom();
}

}  // namespace svc
