#pragma once
// Bevelled panels and three-band gradient text: the look of every framed area
// and every text of the game.
#include <cstdint>
#include <string_view>

#include "vocabulary.h"

namespace game {

struct Scheme {
    std::uint32_t top, middle, bottom;
};

constexpr Scheme cyanScheme{0xFFFFFF, 0x55FFFF, 0x00AAAA};
constexpr Scheme greenScheme{0xFFFFFF, 0x55FF55, 0x00AA00};
constexpr Scheme redScheme{0xFFFFFF, 0xFF5555, 0xAA0000};

// Light top and left edge, grey bottom and right edge, the inside black: an
// empty panel, as every line of the game starts.
void drawPanel(Rect panel);
// Prints a code page 437 text at a text cell in the sentinel colour 7, then
// recolours the sentinel pixels in three horizontal bands.
void printGradient(std::string_view text, TextCell cell, Scheme scheme);

}  // namespace game
