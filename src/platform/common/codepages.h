#pragma once
// The game's two single-byte code pages and UTF-8, which the window system
// speaks: code page 437 for screen texts, window titles and typed keys,
// Windows-1252 for message boxes.
#include <string>
#include <string_view>

namespace codepage {

char32_t fromCp437(unsigned char byte);
// The five bytes Windows-1252 leaves unassigned give U+FFFD.
char32_t fromCp1252(unsigned char byte);
// The code page 437 byte a typed character enters as, or -1 when it has none.
// Never one of the control codes the line editor acts on (8, 9, 10, 13, 27)
// nor 0 or 255, so a typed character cannot pose as an editing key or as the
// first byte of an extended key code.
int typedToCp437(char32_t character);

void appendUtf8(std::string& out, char32_t character);
std::string cp437ToUtf8(std::string_view text);
std::string cp1252ToUtf8(std::string_view text);
// Typed text to code page 437; malformed UTF-8 and characters without a
// code page 437 form are dropped.
std::string utf8ToCp437(std::string_view text);
// The same for UTF-16, as Windows delivers typed characters; a surrogate
// without its partner is dropped.
std::string utf16ToCp437(std::u16string_view text);
// CR LF and a lone CR become LF, the line break of the window system's boxes.
std::string crLfToLf(std::string_view text);

}  // namespace codepage
