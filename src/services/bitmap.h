#pragma once
// BMP decoding from a buffer in memory into any 32-bit pixel rectangle. The
// image service reads a file in one go and hands it here; tests and the fuzz
// target call it directly.
#include <cstddef>
#include <cstdint>

namespace svc {

struct PixelTarget {
    std::uint32_t* pixels;  // row 0 first
    int width;
    int height;
    std::ptrdiff_t stride;  // pixels from one row to the next
};

// 0 when the whole bitmap was read, 3 when it is not a bitmap this reader
// takes (target untouched) or its pixel data ends early (the rows that were
// there are written). Only the overlap of picture and target, counted from
// the top-left corner of both, is written.
int decodeBitmap(const std::uint8_t* data, std::size_t size, const PixelTarget& target);

}  // namespace svc
