#pragma once
// What the files of the SDL platform share. Each piece of state is written
// only by the file named above it; the others read it.
#include <SDL.h>

#include <string>

namespace sdl {

// sdl_window.cpp: the window and the game's frame in it.
extern SDL_Window* window;           // nullptr while none is open
extern bool videoReady;              // SDL's video is up
extern int frameWidth, frameHeight;  // the game's frame, in game pixels

// The game's frame in a window of this size: shown at the largest whole
// factor that fits, centred on black.
struct Frame {
    int scale, left, top;
};
Frame frameIn(int windowWidth, int windowHeight);
Frame currentFrame();
void destroyWindow();

// sdl_present.cpp
void repaintWholeFrame();  // the window surface is new: the next present paints it all

// sdl_input.cpp
void forgetInput();        // the window is gone
void followBoxReleases();  // after a message box: buttons let go while it was up

// sdl_keys.cpp
std::string keyCode(const SDL_Keysym& key);

// sdl_sound.cpp
void closeSound();

// sdl_system.cpp
void ensureUtf8Locale();

}  // namespace sdl
