#pragma once
// Reads text back from the frame the window shows: each 8 x 8 cell is matched
// against the screen font, so tests check what the player sees.
#include <cstdint>
#include <string>
#include <vector>

#include "scripted.h"

namespace screenreader {

inline const unsigned char (&font())[256][8] {
    static const unsigned char glyphs[256][8] = {
#include "font8x8.inc"
    };
    return glyphs;
}

inline std::uint32_t shown(int x, int y) {
    return scripted::shownPixels()[static_cast<std::size_t>(y) * scripted::windowWidth() + x] & 0xFFFFFF;
}

// Which pixels of cell (row, column) are lit, as a glyph would have them.
inline void cellBits(int row, int column, unsigned char bits[8]) {
    const int x0 = 8 * column - 8, y0 = 8 * row - 8;
    for (int k = 0; k < 8; k++) {
        bits[k] = 0;
        for (int i = 0; i < 8; i++) {
            if (shown(x0 + i, y0 + k) != 0) bits[k] |= static_cast<unsigned char>(0x80 >> i);
        }
    }
}

// The byte whose glyph these lit pixels are; printable ASCII wins where glyphs
// look alike. '\xFF' (drawn blank like the space, so never the first match)
// when no glyph fits.
inline char glyphChar(const unsigned char bits[8]) {
    auto matches = [&](int c) {
        for (int k = 0; k < 8; k++) {
            if (font()[c][k] != bits[k]) return false;
        }
        return true;
    };
    for (int c = 0x20; c < 0x7F; c++) {
        if (matches(c)) return static_cast<char>(c);
    }
    for (int c = 0; c < 0xFF; c++) {
        if ((c < 0x20 || c >= 0x7F) && matches(c)) return static_cast<char>(c);
    }
    return '\xFF';
}

inline char cellChar(int row, int column) {
    unsigned char bits[8];
    cellBits(row, column, bits);
    return glyphChar(bits);
}

inline std::string textAt(int row, int column, int length) {
    std::string text;
    for (int i = 0; i < length; i++) text += cellChar(row, column + i);
    return text;
}

// The whole text row from a column on, trailing blanks dropped.
inline std::string rowText(int row, int column = 1) {
    std::string text = textAt(row, column, scripted::windowWidth() / 8 - column + 1);
    text.erase(text.find_last_not_of(' ') + 1);
    return text;
}

// The colours of the lit pixels in pixel row k (0..7) of a text that starts
// at a cell: 0 when none is lit, 1 when they differ.
inline std::uint32_t bandColour(int row, int column, int length, int k) {
    std::uint32_t colour = 0;
    for (int x = 8 * column - 8; x < 8 * (column + length) - 8; x++) {
        const std::uint32_t p = shown(x, 8 * row - 8 + k);
        if (p == 0) continue;
        if (colour != 0 && colour != p) return 1;
        colour = p;
    }
    return colour;
}

}  // namespace screenreader
