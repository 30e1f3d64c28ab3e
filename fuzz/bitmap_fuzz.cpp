// Fuzzes the BMP reader. Each input is decoded into targets of several shapes
// (smaller, larger and oddly padded rows) so the overlap and clipping paths
// are all reached; pixels outside a target's rows must never change.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "bitmap.h"

namespace {

constexpr std::uint32_t guard = 0xDEADBEEF;

void decodeInto(const std::uint8_t* data, std::size_t size, int width, int height, int padding) {
    const std::ptrdiff_t stride = width + padding;
    std::vector<std::uint32_t> pixels(static_cast<std::size_t>(stride) * height, guard);
    const svc::PixelTarget target{pixels.data(), width, height, stride};
    const int result = svc::decodeBitmap(data, size, target);
    if (result != 0 && result != 3) std::abort();
    for (int y = 0; y < height; y++) {
        for (int x = width; x < stride; x++) {
            if (pixels[static_cast<std::size_t>(y) * stride + x] != guard) std::abort();
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    decodeInto(data, size, 1, 1, 0);
    decodeInto(data, size, 7, 5, 3);
    decodeInto(data, size, 33, 40, 0);
    return 0;
}
