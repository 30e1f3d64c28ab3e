// Turns a binary PPM (P6, maxval 255) on standard input into the 24-bit
// bottom-up BMP the game's pictures are stored as, on standard output, with
// the tests' BMP writer. make_pictures.py builds and runs it.
#include <cstdint>
#include <cstdio>
#include <iostream>
#include <iterator>
#include <string>
#include <vector>

#include "bitmap_writer.h"

int main() {
    std::ios::sync_with_stdio(false);
    std::string magic;
    int maxval = 0;
    bmptest::Layout l;
    l.padByte = 0;
    l.pixelsPerMetre = 2835;  // 72 dots per inch
    if (!(std::cin >> magic >> l.width >> l.height >> maxval) || magic != "P6" || maxval != 255 || l.width <= 0 ||
        l.height <= 0) {
        std::cerr << "write_bmp24: expected a binary PPM with maxval 255\n";
        return 1;
    }
    std::cin.get();  // the one white-space byte before the pixels
    const std::vector<unsigned char> rgb{std::istreambuf_iterator<char>(std::cin), {}};
    const std::size_t width = static_cast<std::size_t>(l.width);
    if (rgb.size() != width * l.height * 3) {
        std::cerr << "write_bmp24: the pixels are cut short\n";
        return 1;
    }
    const auto bmp = bmptest::makeBitmap(l, [&](int x, int y) {
        const std::size_t at = (static_cast<std::size_t>(y) * width + x) * 3;
        return std::uint32_t{rgb[at]} << 16 | std::uint32_t{rgb[at + 1]} << 8 | rgb[at + 2];
    });
    std::fwrite(bmp.data(), 1, bmp.size(), stdout);
    return std::fflush(stdout) == 0 ? 0 : 1;
}
