#pragma once
// Off-screen images in the screen's pixel format, filled from BMP files and
// copied onto the screen.
#include <cstdint>
#include <string>

namespace svc {

struct Image;

constexpr std::uint32_t keyColour = 0xFFFF00FF;

// Null when no screen is open or a size is 0 or less.
Image* createImage(int width, int height);
// 0 loaded, 2 cannot be opened, 3 not a readable bitmap or cut short.
int loadBitmap(const std::string& path, Image* image);
void drawImage(int x, int y, const Image* image);
void destroyImage(Image* image);

// For tests and tools.
int imageWidth(const Image* image);
int imageHeight(const Image* image);
std::uint32_t imagePixel(const Image* image, int x, int y);

}  // namespace svc
