// Mouse and keyboard. Input is taken in from the platform whenever the game
// polls or waits, never while the screen is locked, so one locked frame sees
// one state.
#include "input.h"

#include <algorithm>
#include <cstdint>
#include <string>

#include "platform.h"
#include "records.h"
#include "screen.h"

namespace svc {

namespace {

constexpr int ringSlots = 16;  // one slot stays free: at most 15 keys wait
constexpr int scancodes = 128;
// A left press reads as held, at the place it was pressed, until the game has
// had the time to act on it: a tap that is over before the next look would
// otherwise be lost. It lasts until the screen has looked pressLooks times,
// enough for a screen that tests one of its places per look to come round,
// or, for a screen that sleeps between its looks, until it has slept
// pressSeconds since the first. Only sleep counts, not time: on a busy machine
// a hundred looks take longer, and a press that ran out on the clock was lost
// before the screen came round to it. A press not looked at yet waits for its
// look, however long that takes.
constexpr int pressLooks = 100;
constexpr double pressSeconds = 0.25;
const std::string closeKey = std::string("\xFF") + platform::key::close;

struct Press {
    bool pending = false;
    int x = 0, y = 0, buttons = 0;
    int looks = 0;
    double slept = 0;  // seconds the game slept since the first look
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
std::uint64_t eventCount = 0;  // events taken in so far

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
            if (pressed) input.press = Press{true, e.x, e.y, e.buttons, 0, 0.0};
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

// Ends a press that has been up long enough. Only here, where input is taken
// in, so that one locked frame sees one state.
void settlePress() {
    const Press& p = input.press;
    if (!p.pending || (input.buttons & 1) != 0 || p.looks == 0) return;
    if (p.looks >= pressLooks || p.slept >= pressSeconds) input.press = Press{};
}

}  // namespace

void pumpEvents() {
    settleDeletes();
    if (!screenOpen() || lockCount() > 0) return;
    followWindow();
    platform::Event e;
    while (platform::pollEvent(e)) {
        take(e);
        eventCount++;
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
    if (p.pending) p.looks++;
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

void resetInput() {
    input = WindowInput{};
}

std::uint64_t eventsTaken() {
    return eventCount;
}

void sleptFor(double seconds) {
    if (input.press.pending && input.press.looks > 0) input.press.slept += seconds;
}

bool takeKeyHit() {
    followWindow();
    const bool hit = input.keyHit;
    input.keyHit = false;
    return hit;
}

}  // namespace svc
