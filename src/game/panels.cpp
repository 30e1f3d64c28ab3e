#include "panels.h"

#include "drawing.h"
#include "screen.h"

namespace game {

namespace {
// Text is printed in this colour so that its pixels can be found again.
constexpr std::uint32_t sentinel = 7;
constexpr std::uint32_t black = 0;
}  // namespace

void drawPanel(Rect panel) {
    const auto [x1, y1, x2, y2] = panel;
    svc::drawLine(x1, y1, x1, y2, 0xFFFFFF);
    svc::drawLine(x1, y1, x2, y1, 0xFFFFFF);
    svc::drawLine(x1, y2, x2, y2, 0xAAAAAA);
    svc::drawLine(x2, y1, x2, y2, 0xAAAAAA);
    svc::setView(x1 + 2, y1 + 2, x2 - 2, y2 - 2, black, black);
    // Clipped to the screen, so this serves the statistics screen as well.
    svc::setView(0, 0, tableWidth, tableHeight, std::nullopt, std::nullopt);
}

void printGradient(std::string_view text, TextCell cell, Scheme scheme) {
    svc::setTextColor(sentinel);
    const int n = static_cast<int>(text.size());
    svc::setTextCursor(cell.row, cell.column);
    svc::printText(text);
    const int x0 = 8 * cell.column - 8;
    const int y0 = 8 * cell.row - 8;
    // One column beyond the last cell is scanned too.
    for (int x = x0; x <= x0 + 8 * n; x++) {
        for (int k = 0; k < 8; k++) {
            if (svc::readPixel(x, y0 + k) != sentinel) continue;
            const std::uint32_t colour = k < 2 ? scheme.top : k < 5 ? scheme.middle : scheme.bottom;
            svc::drawPixel(x, y0 + k, colour);
        }
    }
    svc::setTextColor(15);
}

}  // namespace game
