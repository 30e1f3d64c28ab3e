// The screen, its window, the text grid and the lock. Drawing primitives that
// need only the pixel buffer and the view live in drawing.cpp.
#include "screen.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "platform.h"

namespace svc {

namespace {

constexpr std::uint32_t opaqueBlack = 0xFF000000;
constexpr std::uint32_t opaqueWhite = 0xFFFFFFFF;
constexpr std::size_t maxTitleLength = 127;
constexpr int maxSide = 32768;  // no window can be that large anyway
constexpr int cell = 8;
// The program file's name without its extension.
const char* const defaultTitle = "rotandor";

const std::uint8_t font[256][cell] = {
#include "font8x8.inc"
};

struct Screen {
    bool open = false;
    int width = 0, height = 0;
    std::vector<std::uint32_t> pixels;
    View view{0, 0, 0, 0};
    int rows = 0, columns = 0;
    int cursorRow = 1, cursorColumn = 1;
    // The cursor ran off the last cell; the scroll waits for the next character.
    bool scrollPending = false;
    std::uint32_t foreground = opaqueWhite, background = opaqueBlack;
    int locks = 0;
    // Band of pixel rows changed since the window was last brought up to date.
    int firstChanged = INT_MAX, lastChanged = -1;
};

Screen screen;
std::string title = defaultTitle;
std::vector<std::uint32_t> icon;
int iconWidth = 0, iconHeight = 0;
int windowsOpened = 0;
std::string modeError;

bool validDepth(int bits) {
    switch (bits) {
        case 1:
        case 2:
        case 4:
        case 8:
        case 15:
        case 16:
        case 24:
        case 32: return true;
        default: return false;
    }
}

void closeScreen() {
    if (screen.open) platform::closeWindow();
    screen = Screen{};
}

std::uint32_t* row(int y) {
    return screen.pixels.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(screen.width);
}

// Horizontal and vertical runs clipped to the whole screen (the frame of setView
// is drawn before the view changes and ignores it).
void screenHLine(long long y, long long xa, long long xb, std::uint32_t colour) {
    if (y < 0 || y >= screen.height) return;
    xa = std::max(xa, 0LL);
    xb = std::min(xb, static_cast<long long>(screen.width) - 1);
    if (xa > xb) return;
    std::fill(row(static_cast<int>(y)) + xa, row(static_cast<int>(y)) + xb + 1, colour);
    markRowsChanged(static_cast<int>(y), static_cast<int>(y));
}

void screenVLine(long long x, long long ya, long long yb, std::uint32_t colour) {
    if (x < 0 || x >= screen.width) return;
    ya = std::max(ya, 0LL);
    yb = std::min(yb, static_cast<long long>(screen.height) - 1);
    if (ya > yb) return;
    for (long long y = ya; y <= yb; y++) row(static_cast<int>(y))[x] = colour;
    markRowsChanged(static_cast<int>(ya), static_cast<int>(yb));
}

void paintCell(int r, int c, unsigned char glyph) {
    const int x0 = (c - 1) * cell;
    const int y0 = (r - 1) * cell;
    for (int dy = 0; dy < cell; dy++) {
        std::uint32_t* p = row(y0 + dy) + x0;
        const std::uint8_t bits = font[glyph][dy];
        for (int dx = 0; dx < cell; dx++) {
            p[dx] = (bits & (0x80 >> dx)) ? screen.foreground : screen.background;
        }
    }
    markRowsChanged(y0, y0 + cell - 1);
}

// Moves the text area up by one row of cells; the pixels beside and below the
// grid are not part of it.
void scrollText() {
    const int areaWidth = screen.columns * cell;
    const int areaHeight = screen.rows * cell;
    for (int y = 0; y + cell < areaHeight; y++) {
        std::memmove(row(y), row(y + cell), sizeof(std::uint32_t) * static_cast<std::size_t>(areaWidth));
    }
    for (int y = areaHeight - cell; y < areaHeight; y++) {
        std::fill(row(y), row(y) + areaWidth, screen.background);
    }
    markRowsChanged(0, areaHeight - 1);
}

void takePendingScroll() {
    if (!screen.scrollPending) return;
    scrollText();
    screen.cursorRow = screen.rows;
    screen.cursorColumn = 1;
    screen.scrollPending = false;
}

}  // namespace

// Window --------------------------------------------------------------------

int setScreenMode(int width, int height, int bitsPerPixel) {
    modeError = "unsupported size or colour depth";
    if (width <= 0 || height <= 0 || !validDepth(bitsPerPixel)) return 1;
    closeScreen();
    if (width > maxSide || height > maxSide) return 1;
    try {
        screen.pixels.assign(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), opaqueBlack);
    } catch (const std::bad_alloc&) {
        screen = Screen{};
        modeError = "out of memory";
        return 1;
    }
    screen.width = width;
    screen.height = height;
    screen.view = View{0, 0, width, height};
    screen.rows = height / cell;
    screen.columns = width / cell;
    if (!platform::openWindow(width, height, title)) {
        screen = Screen{};
        modeError = platform::windowError();
        return 1;
    }
    modeError.clear();
    screen.open = true;
    windowsOpened++;
    if (!icon.empty()) platform::setWindowIcon(icon.data(), iconWidth, iconHeight);
    // The new window shows nothing of the buffer yet.
    markRowsChanged(0, height - 1);
    return 0;
}

std::string screenModeError() {
    return modeError;
}

void setWindowTitle(std::string_view text) {
    title.assign(text.substr(0, maxTitleLength));
    if (screen.open) platform::setWindowTitle(title);
}

std::uintptr_t getWindowHandle() {
    return screen.open ? platform::windowHandle() : 0;
}

void setWindowIcon(const std::uint32_t* argb, int width, int height) {
    if (argb == nullptr || width <= 0 || height <= 0) return;
    icon.assign(argb, argb + static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
    iconWidth = width;
    iconHeight = height;
    if (screen.open) platform::setWindowIcon(icon.data(), iconWidth, iconHeight);
}

int windowSerial() {
    return windowsOpened;
}

void resetScreen() {
    closeScreen();
    title = defaultTitle;
    icon.clear();
    iconWidth = iconHeight = 0;
}

// Text ----------------------------------------------------------------------

void setTextColor(std::uint32_t foreground) {
    if (screen.open) screen.foreground = foreground;
}

void setTextCursor(int r, int c) {
    if (!screen.open) return;
    if (r < 1 || r > screen.rows || c < 1 || c > screen.columns) return;
    screen.cursorRow = r;
    screen.cursorColumn = c;
    screen.scrollPending = false;
}

void printText(std::string_view text) {
    if (!screen.open || screen.rows == 0 || screen.columns == 0) return;
    for (char ch : text) {
        takePendingScroll();
        paintCell(screen.cursorRow, screen.cursorColumn, static_cast<unsigned char>(ch));
        if (screen.cursorColumn < screen.columns) {
            screen.cursorColumn++;
        } else if (screen.cursorRow < screen.rows) {
            screen.cursorColumn = 1;
            screen.cursorRow++;
        } else {
            screen.scrollPending = true;
        }
    }
}

void printLineEnd() {
    if (!screen.open || screen.rows == 0 || screen.columns == 0) return;
    if (screen.scrollPending) {
        // The wrap already waiting is this line end.
        takePendingScroll();
        return;
    }
    screen.cursorColumn = 1;
    if (screen.cursorRow < screen.rows) {
        screen.cursorRow++;
    } else {
        scrollText();
    }
}

int textRows() {
    return screen.rows;
}
int textColumns() {
    return screen.columns;
}
int textCursorRow() {
    return screen.cursorRow;
}
int textCursorColumn() {
    return screen.cursorColumn;
}
std::uint32_t textForeground() {
    return screen.foreground;
}

// View ----------------------------------------------------------------------

void setView(int x1, int y1, int x2, int y2, std::optional<std::uint32_t> fill, std::optional<std::uint32_t> border) {
    if (!screen.open) return;
    if (x1 > x2) std::swap(x1, x2);
    if (y1 > y2) std::swap(y1, y2);
    if (border) {
        const long long left = x1 - 1LL, right = x2 + 1LL, top = y1 - 1LL, bottom = y2 + 1LL;
        screenHLine(top, left, right, *border);
        screenHLine(bottom, left, right, *border);
        screenVLine(left, top, bottom, *border);
        screenVLine(right, top, bottom, *border);
    }
    // The width is measured from the clamped corner, so the view never reaches
    // past the rectangle or the screen.
    const long long left = std::clamp<long long>(x1, 0, screen.width);
    const long long top = std::clamp<long long>(y1, 0, screen.height);
    const long long width = std::min<long long>(screen.width - left, x2 - left + 1);
    const long long height = std::min<long long>(screen.height - top, y2 - top + 1);
    screen.view = View{static_cast<int>(left), static_cast<int>(top), static_cast<int>(std::max(width, 0LL)),
                       static_cast<int>(std::max(height, 0LL))};
    if (fill && screen.view.width > 0 && screen.view.height > 0) {
        for (int y = screen.view.top; y < screen.view.top + screen.view.height; y++) {
            std::fill(row(y) + screen.view.left, row(y) + screen.view.left + screen.view.width, *fill);
        }
        markRowsChanged(screen.view.top, screen.view.top + screen.view.height - 1);
    }
}

bool screenOpen() {
    return screen.open;
}
int screenWidth() {
    return screen.width;
}
int screenHeight() {
    return screen.height;
}
View currentView() {
    return screen.view;
}
std::uint32_t* screenPixels() {
    return screen.open ? screen.pixels.data() : nullptr;
}

// Lock and refresh ------------------------------------------------------------

void markRowsChanged(int firstRow, int lastRow) {
    if (!screen.open) return;
    firstRow = std::max(firstRow, 0);
    lastRow = std::min(lastRow, screen.height - 1);
    if (firstRow > lastRow) return;
    screen.firstChanged = std::min(screen.firstChanged, firstRow);
    screen.lastChanged = std::max(screen.lastChanged, lastRow);
}

void lockScreen() {
    if (screen.open) screen.locks++;
}

void unlockScreen() {
    if (!screen.open || screen.locks == 0) return;
    if (--screen.locks == 0) refreshWindow();
}

int lockCount() {
    return screen.locks;
}

void refreshWindow() {
    if (!screen.open || screen.locks > 0 || screen.lastChanged < 0) return;
    platform::present(screen.pixels.data(), screen.width, screen.height, screen.firstChanged, screen.lastChanged);
    screen.firstChanged = INT_MAX;
    screen.lastChanged = -1;
}

void refreshWholeWindow() {
    if (!screen.open) return;
    markRowsChanged(0, screen.height - 1);
    refreshWindow();
}

}  // namespace svc
