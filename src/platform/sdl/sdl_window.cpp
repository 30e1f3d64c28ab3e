// The platform on SDL2: one window with a software surface. Everything runs
// on the game's thread, which initialises video.
#include <SDL_syswm.h>

#include <algorithm>
#include <cstdlib>
#include <string>

#include "codepages.h"
#include "platform.h"
#include "sdl_shared.h"

namespace sdl {

SDL_Window* window = nullptr;
bool videoReady = false;
int frameWidth = 0, frameHeight = 0;

}  // namespace sdl

using namespace sdl;

namespace {

std::string failure;  // why the last window could not be opened

// The factor a window opens at is chosen once per run from the desktop, for
// the largest window the game opens (the 930 x 647 table), so both windows
// always share one scale.
constexpr int largestWidth = 930, largestHeight = 647;
int openingScale = 0;  // 0 until the first window

int chooseOpeningScale() {
    SDL_DisplayMode desktop;
    if (SDL_GetDesktopDisplayMode(0, &desktop) != 0) return 1;
    return desktop.w >= 2 * largestWidth && desktop.h >= 2 * largestHeight ? 2 : 1;
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

}  // namespace

namespace sdl {

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

void destroyWindow() {
    if (window == nullptr) return;
    SDL_StopTextInput();
    SDL_DestroyWindow(window);
    window = nullptr;
    forgetInput();
}

}  // namespace sdl

namespace platform {

bool openWindow(int width, int height, const std::string& title) {
    closeWindow();
    if (width <= 0 || height <= 0 || !ensureVideo()) return false;
    if (openingScale == 0) openingScale = chooseOpeningScale();
    window = SDL_CreateWindow(codepage::cp437ToUtf8(title).c_str(), SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED,
                              width * openingScale, height * openingScale, SDL_WINDOW_SHOWN | SDL_WINDOW_RESIZABLE);
    if (window == nullptr) {
        failure = SDL_GetError();
        return false;
    }
    SDL_SetWindowMinimumSize(window, width, height);
    frameWidth = width;
    frameHeight = height;
    repaintWholeFrame();
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
    SDL_Surface* icon = SDL_CreateRGBSurfaceWithFormatFrom(const_cast<std::uint32_t*>(argb), width, height, 32,
                                                           width * 4, SDL_PIXELFORMAT_ARGB8888);
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

}  // namespace platform
