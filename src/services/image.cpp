// Off-screen images: one allocation per image, the record followed by its
// pixels, filled from BMP files and copied onto the screen.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <new>

#include "bitmap.h"
#include "image.h"
#include "paths.h"
#include "platform.h"
#include "screen.h"

namespace svc {

struct Image {
    std::uint32_t kind;
    std::int32_t bytesPerPixel;
    std::int32_t width;
    std::int32_t height;
    std::int32_t pitch;  // bytes from one row to the next
    std::uint8_t reserved[8];
};
static_assert(sizeof(Image) == 28, "the pixels follow the record directly");

namespace {

constexpr std::uint32_t imageKind = 7;
constexpr std::int64_t maxPixelBytes = 0x7FFFFFFF;
// Larger files cannot be pictures for any image this service creates.
constexpr std::int64_t maxFileBytes = std::int64_t{1} << 30;

std::uint32_t* pixelsOf(Image* image) {
    return reinterpret_cast<std::uint32_t*>(reinterpret_cast<unsigned char*>(image) + sizeof(Image));
}

const std::uint32_t* pixelsOf(const Image* image) {
    return reinterpret_cast<const std::uint32_t*>(reinterpret_cast<const unsigned char*>(image) + sizeof(Image));
}

std::ptrdiff_t rowStride(const Image* image) {
    return image->pitch / 4;
}

bool usable(const Image* image) {
    return image != nullptr && image->kind == imageKind && image->bytesPerPixel == 4;
}

// The whole file in one buffer; false when it cannot be opened or read.
bool readWholeFile(const std::string& hostName, std::unique_ptr<std::uint8_t[]>& buffer, std::size_t& length,
                   bool& tooLarge) {
    tooLarge = false;
    const platform::FileHandle fd = platform::openFile(hostName, platform::FileMode::read);
    if (fd < 0) return false;
    std::uint64_t size = 0;
    if (!platform::regularFileSize(fd, size)) {
        platform::closeFile(fd);
        return false;
    }
    if (size > static_cast<std::uint64_t>(maxFileBytes)) {
        platform::closeFile(fd);
        tooLarge = true;
        return true;
    }
    const auto expected = static_cast<std::size_t>(size);
    buffer = std::unique_ptr<std::uint8_t[]>(new std::uint8_t[expected > 0 ? expected : 1]);
    length = 0;
    while (length < expected) {
        const std::int64_t got = platform::readFile(fd, buffer.get() + length, expected - length);
        if (got < 0) {
            platform::closeFile(fd);
            return false;
        }
        if (got == 0) break;  // the file shrank meanwhile
        length += static_cast<std::size_t>(got);
    }
    platform::closeFile(fd);
    return true;
}

}  // namespace

Image* createImage(int width, int height) {
    if (!screenOpen() || width <= 0 || height <= 0) return nullptr;
    const std::int64_t pitch = (static_cast<std::int64_t>(width) * 4 + 15) / 16 * 16;
    if (pitch > maxPixelBytes || pitch * height > maxPixelBytes) return nullptr;
    const auto bytes = static_cast<std::size_t>(pitch * height);
    void* block = ::operator new(sizeof(Image) + bytes, std::nothrow);
    if (block == nullptr) return nullptr;
    auto* image = new (block) Image{imageKind, 4, width, height, static_cast<std::int32_t>(pitch), {}};
    std::fill_n(pixelsOf(image), bytes / 4, keyColour);
    return image;
}

int loadBitmap(const std::string& path, Image* image) {
    std::string gamePath = path;
    std::replace(gamePath.begin(), gamePath.end(), '/', '\\');
    std::unique_ptr<std::uint8_t[]> data;
    std::size_t length = 0;
    bool tooLarge = false;
    if (!readWholeFile(hostPath(gamePath), data, length, tooLarge)) return 2;
    if (tooLarge || !usable(image)) return 3;
    const PixelTarget target{pixelsOf(image), image->width, image->height, rowStride(image)};
    return decodeBitmap(data.get(), length, target);
}

void drawImage(int x, int y, const Image* image) {
    if (!usable(image) || !screenOpen()) return;
    const View view = currentView();
    // Screen coordinates of the image and of the view, clipped in 64 bits so
    // that no position can overflow.
    const std::int64_t left = std::int64_t{view.left} + x;
    const std::int64_t top = std::int64_t{view.top} + y;
    const std::int64_t x0 = std::max<std::int64_t>(left, view.left);
    const std::int64_t y0 = std::max<std::int64_t>(top, view.top);
    const std::int64_t x1 = std::min<std::int64_t>(left + image->width, std::int64_t{view.left} + view.width);
    const std::int64_t y1 = std::min<std::int64_t>(top + image->height, std::int64_t{view.top} + view.height);
    if (x0 >= x1 || y0 >= y1) return;

    std::uint32_t* screen = screenPixels();
    const std::int64_t screenStride = screenWidth();
    const std::uint32_t* source = pixelsOf(image);
    const auto count = static_cast<std::size_t>(x1 - x0);
    for (std::int64_t row = y0; row < y1; row++) {
        std::memcpy(screen + row * screenStride + x0, source + (row - top) * rowStride(image) + (x0 - left), count * 4);
    }
    markRowsChanged(static_cast<int>(y0), static_cast<int>(y1 - 1));
}

void destroyImage(Image* image) {
    if (image == nullptr) return;
    image->~Image();
    ::operator delete(image);
}

int imageWidth(const Image* image) {
    return usable(image) ? image->width : 0;
}

int imageHeight(const Image* image) {
    return usable(image) ? image->height : 0;
}

std::uint32_t imagePixel(const Image* image, int x, int y) {
    if (!usable(image) || x < 0 || y < 0 || x >= image->width || y >= image->height) return 0xFFFFFFFF;
    return pixelsOf(image)[static_cast<std::ptrdiff_t>(y) * rowStride(image) + x];
}

}  // namespace svc
