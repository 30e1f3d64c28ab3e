#pragma once
// Pixels, lines, circles and flood fills on the screen (screen.h), confined
// to its view and given in coordinates counted from the view's top-left corner.
#include <cstdint>

namespace svc {

// 0xFFFFFFFF outside the view.
std::uint32_t readPixel(int x, int y);
void drawPixel(int x, int y, std::uint32_t colour);
void drawLine(int x1, int y1, int x2, int y2, std::uint32_t colour);
void drawCircle(int x, int y, int radius, std::uint32_t colour);
void floodFill(int x, int y, std::uint32_t fill, std::uint32_t border);

}  // namespace svc
