#pragma once
// What the files of the Windows platform share. Each piece of state is
// written only by the file named above it; the others read it.
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace win32 {

// win32_window.cpp: the window and the size of its client area.
extern HWND window;  // nullptr while none is open
extern int clientWidth, clientHeight;
void destroyWindow();

// win32_present.cpp: what the window shows, clientWidth x clientHeight.
extern std::vector<std::uint32_t> frame;
void resizeFrame(int width, int height);  // all black; 0 x 0 drops it
void paint(HDC dc, int firstRow, int rows);

// win32_input.cpp: the window's messages turned into the game's events.
LRESULT CALLBACK windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
void forgetInput();  // the window is gone
// Buttons let go while another window had the mouse (a message box, another
// program) are let go here too.
void dropReleasedButtons();

// win32_keys.cpp
std::string keyCode(WPARAM vk);

// win32_time.cpp
void fineTimer();  // waits as short as asked, until endFineTimer
void endFineTimer();

}  // namespace win32
