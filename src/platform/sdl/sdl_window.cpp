// The platform on SDL2: one window with a software surface, its events
// turned into the game's input, the beep and message boxes.
// Everything runs on the game's thread, which initialises video.
#include <SDL.h>
#include <SDL_syswm.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <numbers>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <clocale>
#include <ctime>
#include <deque>
#include <string>
#include <vector>

#include <langinfo.h>
#include <unistd.h>

#include "codepages.h"
#include "platform.h"

namespace {

SDL_Window* window = nullptr;
bool videoReady = false;
std::deque<platform::Event> pending;

// Pointer state as the game sees it; SDL reports pieces of it per event.
int mouseX = 0, mouseY = 0;
int mouseButtons = 0;  // the game's bits: 0 left, 1 right, 2 middle
int letGo = 0;         // buttons let go here that SDL still counts as held
bool pointerInWindow = false;
bool closeDelivered = false;  // one press of the close button gives CLOSE and QUIT
std::string failure;          // why the last window could not be opened

std::vector<std::uint32_t> scratch;

// The beep: audio is opened when the first one is wanted, and only once.
bool audioTried = false;
SDL_AudioDeviceID audio = 0;
std::vector<std::int16_t> tone;

// The game's frame in the window: shown at the largest whole factor that
// fits, centred on black. The factor a window opens at is chosen once per
// run from the desktop, for the largest window the game opens (the 930 x 647
// table), so both windows always share one scale.
constexpr int largestWidth = 930, largestHeight = 647;
int openingScale = 0;  // 0 until the first window
int frameWidth = 0, frameHeight = 0;
bool frameStale = true;  // the window surface is new: paint it all
struct Frame {
    int scale, left, top;
};

int chooseOpeningScale() {
    SDL_DisplayMode desktop;
    if (SDL_GetDesktopDisplayMode(0, &desktop) != 0) return 1;
    return desktop.w >= 2 * largestWidth && desktop.h >= 2 * largestHeight ? 2 : 1;
}

Frame frameIn(int windowWidth, int windowHeight) {
    if (frameWidth <= 0 || frameHeight <= 0) return {1, 0, 0};
    int scale = std::min(windowWidth / frameWidth, windowHeight / frameHeight);
    if (scale < 1) scale = 1;
    return {scale, std::max(0, (windowWidth - frameWidth * scale) / 2),
            std::max(0, (windowHeight - frameHeight * scale) / 2)};
}

Frame currentFrame() {
    int w = 0, h = 0;
    if (window != nullptr) SDL_GetWindowSize(window, &w, &h);
    return frameIn(w, h);
}

int floorDiv(int a, int b) {
    return a >= 0 ? a / b : -((-a + b - 1) / b);
}

// The game pixel under a window position; the black margin maps outside the frame.
void toGame(int windowX, int windowY, int& x, int& y) {
    const Frame f = currentFrame();
    x = floorDiv(windowX - f.left, f.scale);
    y = floorDiv(windowY - f.top, f.scale);
}

// Whether the locale the environment names exists and encodes UTF-8; a
// UTF-8 name of a locale that is not installed falls back to "C".
bool environmentLocaleIsUtf8() {
    const char* current = std::setlocale(LC_CTYPE, nullptr);
    const std::string saved = current != nullptr ? current : "C";
    bool utf8 = false;
    if (std::setlocale(LC_CTYPE, "") != nullptr) utf8 = std::strcmp(nl_langinfo(CODESET), "UTF-8") == 0;
    std::setlocale(LC_CTYPE, saved.c_str());
    return utf8;
}

// The X11 message box takes its locale from the environment and cuts its
// text at the first non-ASCII character unless that locale is UTF-8; the
// game's boxes carry the euro sign and umlauts.
void ensureUtf8Locale() {
    static bool done = false;
    if (done) return;
    done = true;
    if (!environmentLocaleIsUtf8()) setenv("LC_ALL", "C.UTF-8", 1);
}

bool ensureVideo() {
    if (videoReady) return true;
    ensureUtf8Locale();
    // The plain X11 surface path: exact pixels and cheap presents.
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    // A press that gives the window the focus is a press like any other: SDL
    // would drop one that comes within a few milliseconds of the focus.
    SDL_SetHint(SDL_HINT_MOUSE_FOCUS_CLICKTHROUGH, "1");
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
        failure = SDL_GetError();
        const char* display = std::getenv("DISPLAY");
        if (display == nullptr || *display == 0) failure += " (DISPLAY is not set)";
        return false;
    }
    // Without a display SDL falls back to drivers that show nothing: the
    // player would wait for a window that never comes. Only on request.
    const std::string driver = SDL_GetCurrentVideoDriver() != nullptr ? SDL_GetCurrentVideoDriver() : "";
    const char* asked = SDL_getenv("SDL_VIDEODRIVER");
    if ((driver == "offscreen" || driver == "dummy") && (asked == nullptr || *asked == 0)) {
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
        failure = "no display found (SDL has only its " + driver + " video driver, which shows nothing)";
        return false;
    }
    videoReady = true;
    return true;
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
    e.inside = pointerInWindow && window != nullptr && e.x >= 0 && e.y >= 0 && e.x < frameWidth &&
               e.y < frameHeight;
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

std::string extended(char second) {
    return std::string{static_cast<char>(255), second};
}

// The code of a key that types no character; empty for keys that enter
// nothing (modifiers, locks) or that come as text.
std::string keyCode(const SDL_Keysym& key) {
    namespace k = platform::key;
    const bool numLock = (key.mod & KMOD_NUM) != 0;
    switch (key.sym) {
        case SDLK_RETURN:
        case SDLK_RETURN2:
        case SDLK_KP_ENTER: return "\r";
        case SDLK_BACKSPACE: return "\b";
        case SDLK_TAB: return "\t";
        case SDLK_ESCAPE: return "\x1b";
        case SDLK_UP: return extended(k::up);
        case SDLK_DOWN: return extended(k::down);
        case SDLK_LEFT: return extended(k::left);
        case SDLK_RIGHT: return extended(k::right);
        case SDLK_HOME: return extended(k::home);
        case SDLK_END: return extended(k::end);
        case SDLK_INSERT: return extended(k::insert);
        case SDLK_DELETE: return extended(k::del);
        case SDLK_PAGEUP: return extended(k::pageUp);
        case SDLK_PAGEDOWN: return extended(k::pageDown);
        case SDLK_F11: return extended(k::f11);
        case SDLK_F12: return extended(k::f12);
        default: break;
    }
    if (key.sym >= SDLK_F1 && key.sym <= SDLK_F10) {
        return extended(static_cast<char>(k::f1 + (key.sym - SDLK_F1)));
    }
    // Without Num Lock the keypad is a second set of cursor keys; with it
    // the digits arrive as text.
    if (!numLock) {
        switch (key.sym) {
            case SDLK_KP_8: return extended(k::up);
            case SDLK_KP_2: return extended(k::down);
            case SDLK_KP_4: return extended(k::left);
            case SDLK_KP_6: return extended(k::right);
            case SDLK_KP_7: return extended(k::home);
            case SDLK_KP_1: return extended(k::end);
            case SDLK_KP_0: return extended(k::insert);
            case SDLK_KP_PERIOD: return extended(k::del);
            case SDLK_KP_9: return extended(k::pageUp);
            case SDLK_KP_3: return extended(k::pageDown);
            default: break;
        }
    }
    // Ctrl with a letter types its control code; the window system sends no
    // text for it. Ctrl with Alt is AltGr on some layouts and types text.
    if ((key.mod & KMOD_CTRL) && !(key.mod & KMOD_ALT) && key.sym >= SDLK_a && key.sym <= SDLK_z) {
        const char code = static_cast<char>(key.sym - SDLK_a + 1);
        // Ctrl+H, I, J and M would pose as editing keys; they enter nothing.
        if (code != 8 && code != 9 && code != 10 && code != 13) return std::string(1, code);
    }
    return {};
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
                case SDL_WINDOWEVENT_FOCUS_GAINED:
                    queueSimple(platform::EventKind::Focus, true);
                    break;
                case SDL_WINDOWEVENT_FOCUS_LOST:
                    queueSimple(platform::EventKind::Focus, false);
                    break;
                case SDL_WINDOWEVENT_EXPOSED:
                    queueSimple(platform::EventKind::Exposed);
                    break;
                case SDL_WINDOWEVENT_SIZE_CHANGED:
                    // A new surface, maybe a new factor: show the whole frame again.
                    frameStale = true;
                    queueSimple(platform::EventKind::Exposed);
                    break;
                default:
                    break;
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
        default:
            break;
    }
}

// Set-1 scancodes of the main block, keypad and function keys, each with the
// SDL scancodes that hold it down (the cursor block shares codes with the
// keypad, as on a PC keyboard).
struct ScanPair {
    unsigned char set1;
    SDL_Scancode sdl;
};

constexpr ScanPair scanTable[] = {
    {1, SDL_SCANCODE_ESCAPE},
    {2, SDL_SCANCODE_1}, {3, SDL_SCANCODE_2}, {4, SDL_SCANCODE_3}, {5, SDL_SCANCODE_4},
    {6, SDL_SCANCODE_5}, {7, SDL_SCANCODE_6}, {8, SDL_SCANCODE_7}, {9, SDL_SCANCODE_8},
    {10, SDL_SCANCODE_9}, {11, SDL_SCANCODE_0}, {12, SDL_SCANCODE_MINUS}, {13, SDL_SCANCODE_EQUALS},
    {14, SDL_SCANCODE_BACKSPACE}, {15, SDL_SCANCODE_TAB},
    {16, SDL_SCANCODE_Q}, {17, SDL_SCANCODE_W}, {18, SDL_SCANCODE_E}, {19, SDL_SCANCODE_R},
    {20, SDL_SCANCODE_T}, {21, SDL_SCANCODE_Y}, {22, SDL_SCANCODE_U}, {23, SDL_SCANCODE_I},
    {24, SDL_SCANCODE_O}, {25, SDL_SCANCODE_P}, {26, SDL_SCANCODE_LEFTBRACKET},
    {27, SDL_SCANCODE_RIGHTBRACKET}, {28, SDL_SCANCODE_RETURN}, {28, SDL_SCANCODE_KP_ENTER},
    {29, SDL_SCANCODE_LCTRL}, {29, SDL_SCANCODE_RCTRL},
    {30, SDL_SCANCODE_A}, {31, SDL_SCANCODE_S}, {32, SDL_SCANCODE_D}, {33, SDL_SCANCODE_F},
    {34, SDL_SCANCODE_G}, {35, SDL_SCANCODE_H}, {36, SDL_SCANCODE_J}, {37, SDL_SCANCODE_K},
    {38, SDL_SCANCODE_L}, {39, SDL_SCANCODE_SEMICOLON}, {40, SDL_SCANCODE_APOSTROPHE},
    {41, SDL_SCANCODE_GRAVE}, {42, SDL_SCANCODE_LSHIFT}, {43, SDL_SCANCODE_BACKSLASH},
    {43, SDL_SCANCODE_NONUSHASH},
    {44, SDL_SCANCODE_Z}, {45, SDL_SCANCODE_X}, {46, SDL_SCANCODE_C}, {47, SDL_SCANCODE_V},
    {48, SDL_SCANCODE_B}, {49, SDL_SCANCODE_N}, {50, SDL_SCANCODE_M}, {51, SDL_SCANCODE_COMMA},
    {52, SDL_SCANCODE_PERIOD}, {53, SDL_SCANCODE_SLASH}, {53, SDL_SCANCODE_KP_DIVIDE},
    {54, SDL_SCANCODE_RSHIFT}, {55, SDL_SCANCODE_KP_MULTIPLY}, {55, SDL_SCANCODE_PRINTSCREEN},
    {56, SDL_SCANCODE_LALT}, {56, SDL_SCANCODE_RALT}, {57, SDL_SCANCODE_SPACE},
    {58, SDL_SCANCODE_CAPSLOCK},
    {59, SDL_SCANCODE_F1}, {60, SDL_SCANCODE_F2}, {61, SDL_SCANCODE_F3}, {62, SDL_SCANCODE_F4},
    {63, SDL_SCANCODE_F5}, {64, SDL_SCANCODE_F6}, {65, SDL_SCANCODE_F7}, {66, SDL_SCANCODE_F8},
    {67, SDL_SCANCODE_F9}, {68, SDL_SCANCODE_F10},
    {69, SDL_SCANCODE_NUMLOCKCLEAR}, {70, SDL_SCANCODE_SCROLLLOCK},
    {71, SDL_SCANCODE_KP_7}, {71, SDL_SCANCODE_HOME}, {72, SDL_SCANCODE_KP_8}, {72, SDL_SCANCODE_UP},
    {73, SDL_SCANCODE_KP_9}, {73, SDL_SCANCODE_PAGEUP}, {74, SDL_SCANCODE_KP_MINUS},
    {75, SDL_SCANCODE_KP_4}, {75, SDL_SCANCODE_LEFT}, {76, SDL_SCANCODE_KP_5},
    {77, SDL_SCANCODE_KP_6}, {77, SDL_SCANCODE_RIGHT}, {78, SDL_SCANCODE_KP_PLUS},
    {79, SDL_SCANCODE_KP_1}, {79, SDL_SCANCODE_END}, {80, SDL_SCANCODE_KP_2}, {80, SDL_SCANCODE_DOWN},
    {81, SDL_SCANCODE_KP_3}, {81, SDL_SCANCODE_PAGEDOWN}, {82, SDL_SCANCODE_KP_0},
    {82, SDL_SCANCODE_INSERT}, {83, SDL_SCANCODE_KP_PERIOD}, {83, SDL_SCANCODE_DELETE},
    {86, SDL_SCANCODE_NONUSBACKSLASH}, {87, SDL_SCANCODE_F11}, {88, SDL_SCANCODE_F12},
    {91, SDL_SCANCODE_LGUI}, {92, SDL_SCANCODE_RGUI}, {93, SDL_SCANCODE_APPLICATION},
};

void destroyWindow() {
    if (window == nullptr) return;
    SDL_StopTextInput();
    SDL_DestroyWindow(window);
    window = nullptr;
    pending.clear();
    pointerInWindow = false;
    mouseButtons = 0;
    letGo = 0;
    closeDelivered = false;
}

}  // namespace

namespace platform {

bool openWindow(int width, int height, const std::string& title) {
    closeWindow();
    if (width <= 0 || height <= 0 || !ensureVideo()) return false;
    if (openingScale == 0) openingScale = chooseOpeningScale();
    window = SDL_CreateWindow(codepage::cp437ToUtf8(title).c_str(), SDL_WINDOWPOS_CENTERED,
                              SDL_WINDOWPOS_CENTERED, width * openingScale, height * openingScale,
                              SDL_WINDOW_SHOWN | SDL_WINDOW_RESIZABLE);
    if (window == nullptr) {
        failure = SDL_GetError();
        return false;
    }
    SDL_SetWindowMinimumSize(window, width, height);
    frameWidth = width;
    frameHeight = height;
    frameStale = true;
    if (SDL_GetWindowSurface(window) == nullptr) {
        failure = SDL_GetError();
        destroyWindow();
        return false;
    }
    SDL_RaiseWindow(window);
    SDL_StartTextInput();
    return true;
}

std::string windowError() {
    return failure.empty() ? "unknown reason" : failure;
}

void closeWindow() {
    destroyWindow();
}

void setWindowTitle(const std::string& title) {
    if (window != nullptr) SDL_SetWindowTitle(window, codepage::cp437ToUtf8(title).c_str());
}

void setWindowIcon(const std::uint32_t* argb, int width, int height) {
    if (window == nullptr || argb == nullptr || width <= 0 || height <= 0) return;
    // SDL only reads the pixels while it sets the icon.
    SDL_Surface* icon = SDL_CreateRGBSurfaceWithFormatFrom(const_cast<std::uint32_t*>(argb), width, height,
                                                           32, width * 4, SDL_PIXELFORMAT_ARGB8888);
    if (icon == nullptr) return;
    SDL_SetWindowIcon(window, icon);
    SDL_FreeSurface(icon);
}

std::uintptr_t windowHandle() {
    if (window == nullptr) return 0;
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (SDL_GetWindowWMInfo(window, &info) && info.subsystem == SDL_SYSWM_X11) {
        return static_cast<std::uintptr_t>(info.info.x11.window);
    }
    return reinterpret_cast<std::uintptr_t>(window);
}

void present(const std::uint32_t* pixels, int width, int height, int firstRow, int lastRow) {
    if (window == nullptr || pixels == nullptr || width <= 0 || height <= 0) return;
    SDL_Surface* surface = SDL_GetWindowSurface(window);
    if (surface == nullptr) return;
    const Frame f = frameIn(surface->w, surface->h);
    const int k = f.scale;
    const bool whole = frameStale;
    if (whole) {
        firstRow = 0;
        lastRow = height - 1;
    }
    // Never write past either buffer, whatever size the caller thinks the window has.
    const int columns = std::min(width, (surface->w - f.left) / k);
    if (firstRow < 0) firstRow = 0;
    if (lastRow > height - 1) lastRow = height - 1;
    if (lastRow > (surface->h - f.top) / k - 1) lastRow = (surface->h - f.top) / k - 1;
    if (columns <= 0 || firstRow > lastRow) return;
    const int rows = lastRow - firstRow + 1;

    if (SDL_MUSTLOCK(surface) && SDL_LockSurface(surface) != 0) return;
    if (whole && (f.left > 0 || f.top > 0 || width * k < surface->w || height * k < surface->h)) {
        SDL_FillRect(surface, nullptr, SDL_MapRGB(surface->format, 0, 0, 0));
    }
    frameStale = false;
    auto* dst = static_cast<Uint8*>(surface->pixels) + static_cast<std::size_t>(f.top + firstRow * k) * surface->pitch +
                static_cast<std::size_t>(f.left) * surface->format->BytesPerPixel;
    const std::uint32_t* src = pixels + static_cast<std::size_t>(firstRow) * static_cast<std::size_t>(width);
    const std::size_t rowBytes = static_cast<std::size_t>(columns) * static_cast<std::size_t>(k) * 4;
    if (surface->format->format == SDL_PIXELFORMAT_RGB888) {
        // The usual X11 surface: the same layout, top byte unused.
        for (int y = 0; y < rows; y++) {
            const std::uint32_t* line = src + static_cast<std::size_t>(y) * static_cast<std::size_t>(width);
            Uint8* out = dst + static_cast<std::size_t>(y) * static_cast<std::size_t>(k) * surface->pitch;
            if (k == 1) {
                std::memcpy(out, line, rowBytes);
                continue;
            }
            // Every game pixel a k x k square: one widened row, copied k times.
            auto* wide = reinterpret_cast<std::uint32_t*>(out);
            for (int x = 0; x < columns; x++) {
                for (int i = 0; i < k; i++) wide[x * k + i] = line[x];
            }
            for (int i = 1; i < k; i++) std::memcpy(out + static_cast<std::size_t>(i) * surface->pitch, out, rowBytes);
        }
    } else {
        // The top byte of a game pixel is not alpha: show every pixel opaque.
        const int wideColumns = columns * k;
        scratch.resize(static_cast<std::size_t>(wideColumns) * static_cast<std::size_t>(rows) * k);
        for (int y = 0; y < rows * k; y++) {
            const std::uint32_t* line = src + static_cast<std::size_t>(y / k) * static_cast<std::size_t>(width);
            for (int x = 0; x < wideColumns; x++) {
                scratch[static_cast<std::size_t>(y) * wideColumns + x] = line[x / k] | 0xFF000000u;
            }
        }
        SDL_ConvertPixels(wideColumns, rows * k, SDL_PIXELFORMAT_ARGB8888, scratch.data(), wideColumns * 4,
                          surface->format->format, dst, surface->pitch);
    }
    if (SDL_MUSTLOCK(surface)) SDL_UnlockSurface(surface);
    if (whole) {
        SDL_UpdateWindowSurface(window);
    } else {
        const SDL_Rect band{f.left, f.top + firstRow * k, columns * k, rows * k};
        SDL_UpdateWindowSurfaceRects(window, &band, 1);
    }
}

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

void keyboardState(bool down[128]) {
    for (int i = 0; i < 128; i++) down[i] = false;
    // Up to date: the services drain the events before they ask.
    if (window == nullptr) return;
    if (SDL_GetKeyboardFocus() != window) return;
    int count = 0;
    const Uint8* keys = SDL_GetKeyboardState(&count);
    for (const ScanPair& p : scanTable) {
        if (p.sdl < count && keys[p.sdl]) down[p.set1] = true;
    }
}

void waitForEvent(int ms) {
    if (ms <= 0) return;
    // SDL waits on the window system's connection; without video there is
    // nothing to wait on.
    if (!videoReady || !pending.empty()) {
        if (pending.empty()) sleepMilliseconds(ms);
        return;
    }
    SDL_WaitEventTimeout(nullptr, ms);
}

void beep() {
    if (!audioTried) {
        audioTried = true;
        if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return;
        // With no device listed, opening the default one only makes the
        // sound library complain on stderr.
        if (SDL_GetNumAudioDevices(0) == 0) {
            SDL_QuitSubSystem(SDL_INIT_AUDIO);
            return;
        }
        SDL_AudioSpec want{};
        want.freq = 22050;
        want.format = AUDIO_S16SYS;
        want.channels = 1;
        want.samples = 512;
        SDL_AudioSpec have{};
        audio = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
        if (audio == 0) {
            SDL_QuitSubSystem(SDL_INIT_AUDIO);
            return;
        }
        // 800 Hz for 120 ms, faded in and out over 5 ms so that it does not click.
        const int samples = want.freq * 120 / 1000, fade = want.freq * 5 / 1000;
        tone.resize(static_cast<std::size_t>(samples));
        for (int i = 0; i < samples; i++) {
            const double envelope = std::min({1.0, static_cast<double>(i) / fade,
                                              static_cast<double>(samples - 1 - i) / fade});
            tone[static_cast<std::size_t>(i)] =
                static_cast<std::int16_t>(8000 * envelope * std::sin(2 * std::numbers::pi * 800 * i / want.freq));
        }
        SDL_PauseAudioDevice(audio, 0);
    }
    if (audio == 0) return;
    // Beeps in a row do not pile up.
    SDL_ClearQueuedAudio(audio);
    SDL_QueueAudio(audio, tone.data(), static_cast<Uint32>(tone.size() * sizeof(std::int16_t)));
}

void messageBox(const std::string& caption, const std::string& text) {
    ensureUtf8Locale();
    const std::string utf8Caption = codepage::cp1252ToUtf8(caption);
    const std::string utf8Text = codepage::crLfToLf(codepage::cp1252ToUtf8(text));
    if (SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_INFORMATION, utf8Caption.c_str(), utf8Text.c_str(), nullptr) != 0) {
        // No box could be shown: the message must still reach the player.
        std::fprintf(stderr, "%s: %s\n", utf8Caption.c_str(), utf8Text.c_str());
    }
    if (window != nullptr) {
        const int before = mouseButtons;
        dropReleasedButtons();
        if (mouseButtons != before) queueMouse();
    }
}

void exitProcess(int status) {
    destroyWindow();
    if (audio != 0) SDL_CloseAudioDevice(audio);
    if (videoReady) SDL_Quit();
    std::fflush(nullptr);
    std::_Exit(status);
}

}  // namespace platform
