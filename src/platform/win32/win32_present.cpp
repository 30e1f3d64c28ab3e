// The game's frame in the window: a copy of the last presented pixels, drawn
// from a device-independent bitmap when presented and when Windows asks.
#include <cstring>

#include "platform.h"
#include "win32_shared.h"

namespace win32 {

std::vector<std::uint32_t> frame;

void resizeFrame(int width, int height) {
    if (width <= 0 || height <= 0) {
        frame.clear();
        return;
    }
    frame.assign(static_cast<std::size_t>(width) * height, 0);
}

void paint(HDC dc, int firstRow, int rows) {
    if (frame.empty() || rows <= 0) return;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = clientWidth;
    info.bmiHeader.biHeight = -rows;  // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    SetDIBitsToDevice(dc, 0, firstRow, static_cast<DWORD>(clientWidth), static_cast<DWORD>(rows), 0, 0, 0,
                      static_cast<UINT>(rows), frame.data() + static_cast<std::size_t>(firstRow) * clientWidth, &info,
                      DIB_RGB_COLORS);
}

}  // namespace win32

namespace platform {

void present(const std::uint32_t* pixels, int width, int height, int firstRow, int lastRow) {
    using namespace win32;
    if (window == nullptr || pixels == nullptr) return;
    const int columns = width < clientWidth ? width : clientWidth;
    if (firstRow < 0) firstRow = 0;
    if (lastRow > height - 1) lastRow = height - 1;
    if (lastRow > clientHeight - 1) lastRow = clientHeight - 1;
    if (columns <= 0 || firstRow > lastRow) return;
    for (int y = firstRow; y <= lastRow; y++) {
        std::memcpy(frame.data() + static_cast<std::size_t>(y) * clientWidth,
                    pixels + static_cast<std::size_t>(y) * width, static_cast<std::size_t>(columns) * 4);
    }
    const HDC dc = GetDC(window);
    if (dc == nullptr) return;
    paint(dc, firstRow, lastRow - firstRow + 1);
    ReleaseDC(window, dc);
}

}  // namespace platform
