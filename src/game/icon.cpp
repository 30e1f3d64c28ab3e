#include "icon.h"

#include <cstdint>

#include "screen.h"

namespace game {

namespace {
#include "my_icon.inc"
}  // namespace

void setGameIcon() {
    if (svc::getWindowHandle() == 0) return;
    std::uint32_t argb[32 * 32];
    for (int y = 0; y < 32; y++) {
        for (int x = 0; x < 32; x++) {
            const char c = myIconRows[y][x];
            const int index = c <= '9' ? c - '0' : (c | 0x20) - 'a' + 10;
            argb[y * 32 + x] = 0xFF000000 | myIconPalette[index & 15];
        }
    }
    svc::setWindowIcon(argb, 32, 32);
}

}  // namespace game
