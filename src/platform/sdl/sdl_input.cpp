// SDL's events turned into the game's input: the pointer in frame pixels,
// buttons that a message box took the release of, keys, focus and close.
#include <SDL_syswm.h>
#include <poll.h>

#include <deque>
#include <string>

#include "codepages.h"
#include "platform.h"
#include "sdl_shared.h"

using namespace sdl;

namespace {

std::deque<platform::Event> pending;

// Pointer state as the game sees it; SDL reports pieces of it per event.
int mouseX = 0, mouseY = 0;
int mouseButtons = 0;  // the game's bits: 0 left, 1 right, 2 middle
int letGo = 0;         // buttons let go here that SDL still counts as held
bool pointerInWindow = false;
bool closeDelivered = false;  // one press of the close button gives CLOSE and QUIT

int floorDiv(int a, int b) {
    return a >= 0 ? a / b : -((-a + b - 1) / b);
}

// The game pixel under a window position; the black margin maps outside the frame.
void toGame(int windowX, int windowY, int& x, int& y) {
    const Frame f = currentFrame();
    x = floorDiv(windowX - f.left, f.scale);
    y = floorDiv(windowY - f.top, f.scale);
}

int gameButtons(Uint32 sdlMask) {
    int buttons = 0;
    if (sdlMask & SDL_BUTTON_LMASK) buttons |= 1;
    if (sdlMask & SDL_BUTTON_RMASK) buttons |= 2;
    if (sdlMask & SDL_BUTTON_MMASK) buttons |= 4;
    return buttons;
}

int gameButton(Uint8 sdlButton) {
    switch (sdlButton) {
        case SDL_BUTTON_LEFT: return 1;
        case SDL_BUTTON_RIGHT: return 2;
        case SDL_BUTTON_MIDDLE: return 4;
        default: return 0;
    }
}

void queueMouse() {
    platform::Event e;
    e.kind = platform::EventKind::Mouse;
    toGame(mouseX, mouseY, e.x, e.y);
    e.buttons = mouseButtons;
    e.inside = pointerInWindow && window != nullptr && e.x >= 0 && e.y >= 0 && e.x < frameWidth && e.y < frameHeight;
    pending.push_back(e);
}

void queueKey(std::string code) {
    platform::Event e;
    e.kind = platform::EventKind::Key;
    e.code = std::move(code);
    pending.push_back(e);
}

void queueSimple(platform::EventKind kind, bool active = false) {
    platform::Event e;
    e.kind = kind;
    e.active = active;
    pending.push_back(e);
}

// A release can miss the window: a message box shown while the button was
// held takes it. Buttons the window system no longer sees held are let go.
void dropReleasedButtons() {
    const int held = mouseButtons & gameButtons(SDL_GetGlobalMouseState(nullptr, nullptr));
    letGo |= mouseButtons & ~held;
    mouseButtons = held;
}

// SDL keeps such a button held and swallows its next press. Until SDL sees it
// released, the window system's state is the one to follow.
void followLetGoButtons() {
    letGo &= gameButtons(SDL_GetMouseState(nullptr, nullptr));
    if (letGo == 0) return;
    const int held = (mouseButtons & ~letGo) | (gameButtons(SDL_GetGlobalMouseState(nullptr, nullptr)) & letGo);
    if (held == mouseButtons) return;
    mouseButtons = held;
    queueMouse();
}

void translate(const SDL_Event& ev) {
    switch (ev.type) {
        case SDL_QUIT:
            if (!closeDelivered) queueSimple(platform::EventKind::Close);
            closeDelivered = false;
            break;
        case SDL_WINDOWEVENT:
            if (window == nullptr || ev.window.windowID != SDL_GetWindowID(window)) break;
            switch (ev.window.event) {
                case SDL_WINDOWEVENT_CLOSE:
                    queueSimple(platform::EventKind::Close);
                    closeDelivered = true;
                    break;
                case SDL_WINDOWEVENT_ENTER:
                    pointerInWindow = true;
                    SDL_GetMouseState(&mouseX, &mouseY);
                    dropReleasedButtons();
                    queueMouse();
                    break;
                case SDL_WINDOWEVENT_LEAVE:
                    pointerInWindow = false;
                    queueMouse();
                    break;
                case SDL_WINDOWEVENT_FOCUS_GAINED: queueSimple(platform::EventKind::Focus, true); break;
                case SDL_WINDOWEVENT_FOCUS_LOST: queueSimple(platform::EventKind::Focus, false); break;
                case SDL_WINDOWEVENT_EXPOSED: queueSimple(platform::EventKind::Exposed); break;
                case SDL_WINDOWEVENT_SIZE_CHANGED:
                    // A new surface, maybe a new factor: show the whole frame again.
                    repaintWholeFrame();
                    queueSimple(platform::EventKind::Exposed);
                    break;
                default: break;
            }
            break;
        case SDL_MOUSEMOTION:
            mouseX = ev.motion.x;
            mouseY = ev.motion.y;
            queueMouse();
            break;
        case SDL_MOUSEBUTTONDOWN:
        case SDL_MOUSEBUTTONUP:
            mouseX = ev.button.x;
            mouseY = ev.button.y;
            if (ev.type == SDL_MOUSEBUTTONDOWN) {
                mouseButtons |= gameButton(ev.button.button);
            } else {
                mouseButtons &= ~gameButton(ev.button.button);
            }
            queueMouse();
            break;
        case SDL_KEYDOWN: {
            std::string code = keyCode(ev.key.keysym);
            if (!code.empty()) queueKey(std::move(code));
            break;
        }
        case SDL_TEXTINPUT:
            for (char c : codepage::utf8ToCp437(ev.text.text)) queueKey(std::string(1, c));
            break;
        default: break;
    }
}

// SDL's own wait wakes itself with an event sent to the window over a second
// connection to the X server; should the game close that window before the
// server has handled the event, Xlib ends the program with status 1. A wait
// on the connection itself sends nothing.
bool waitOnX11(int ms) {
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (window == nullptr || !SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11) return false;
    Display* display = info.info.x11.display;
    // Events Xlib has read but SDL not yet taken would never wake the poll.
    if (QLength(display) > 0) return true;
    pollfd connection{ConnectionNumber(display), POLLIN, 0};
    poll(&connection, 1, ms);
    return true;
}

}  // namespace

namespace sdl {

void forgetInput() {
    pending.clear();
    pointerInWindow = false;
    mouseButtons = 0;
    letGo = 0;
    closeDelivered = false;
}

void followBoxReleases() {
    if (window == nullptr) return;
    const int before = mouseButtons;
    dropReleasedButtons();
    if (mouseButtons != before) queueMouse();
}

}  // namespace sdl

namespace platform {

bool pollEvent(Event& event) {
    if (videoReady) {
        SDL_Event ev;
        bool drained = false;
        // One pump per drain: each pump reads the X connection several times.
        if (pending.empty()) SDL_PumpEvents();
        while (pending.empty() && !drained) {
            if (SDL_PeepEvents(&ev, 1, SDL_GETEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT) == 1) {
                translate(ev);
            } else {
                drained = true;  // SDL's own state now matches every event taken
            }
        }
        if (drained && window != nullptr) followLetGoButtons();
    }
    if (pending.empty()) return false;
    event = pending.front();
    pending.pop_front();
    return true;
}

void waitForEvent(int ms) {
    if (ms <= 0) return;
    // SDL waits on the window system's connection; without video there is
    // nothing to wait on.
    if (!videoReady || !pending.empty()) {
        if (pending.empty()) sleepMilliseconds(ms);
        return;
    }
    SDL_PumpEvents();
    if (SDL_HasEvents(SDL_FIRSTEVENT, SDL_LASTEVENT)) return;
    if (!waitOnX11(ms)) SDL_WaitEventTimeout(nullptr, ms);
}

}  // namespace platform
