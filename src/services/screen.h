#pragma once
// The graphics screen: one 32-bit pixel buffer shown in one window, an 8 x 8
// code page 437 text grid, the view that drawing (drawing.h) is confined to,
// and a lock that holds back what is drawn until the frame is complete.
//
// Colours are stored exactly as given (0xAARRGGBB): colour 7 is 0x00000007
// and differs from 0xFF000007 although both look black.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace svc {

// 0 on success, 1 on failure (bad size or depth, or no window).
int setScreenMode(int width, int height, int bitsPerPixel);
// Why the last setScreenMode failed.
std::string screenModeError();
void setWindowTitle(std::string_view title);
std::uintptr_t getWindowHandle();
// Small window icon, 0xAARRGGBB pixels; kept and set again after every mode change.
void setWindowIcon(const std::uint32_t* argb, int width, int height);

void setTextColor(std::uint32_t foreground);
void setTextCursor(int row, int column);
void printText(std::string_view text);

// The view that drawing is confined to (drawing.h). Corners inclusive, any
// order; std::nullopt for no fill or no border.
void setView(int x1, int y1, int x2, int y2, std::optional<std::uint32_t> fill, std::optional<std::uint32_t> border);

void lockScreen();
void unlockScreen();

// For the other services (images, line input) -----------------------------

struct View {
    int left, top, width, height;
};
bool screenOpen();
int screenWidth();
int screenHeight();
View currentView();
std::uint32_t* screenPixels();  // row-major, screenWidth() per row
void markRowsChanged(int firstRow, int lastRow);
int textRows();
int textColumns();
int textCursorRow();
int textCursorColumn();
std::uint32_t textForeground();
// Moves the cursor to column 1 of the next row, scrolling at the bottom.
void printLineEnd();
int lockCount();
// Brings the window up to date with what was drawn outside a lock; called
// whenever the polling and waiting services take in the window's events, and
// by unlockScreen and the message boxes.
void refreshWindow();
// Shows the whole screen again (after the window was covered).
void refreshWholeWindow();
// Ends the run: closes the window, forgets the screen, the title and the icon.
void resetScreen();
// Counts the windows opened so far; the input state belongs to one window.
int windowSerial();

}  // namespace svc
