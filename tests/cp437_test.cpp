#include <gtest/gtest.h>

#include <set>
#include <string>

#include "codepages.h"
#include "keys.h"

namespace {

TEST(Cp437, BytesMapToTheFontsCharacters) {
    const struct {
        unsigned char byte;
        char32_t character;
    } cases[] = {
        {0x41, U'A'},      {0x20, U' '},      {0x01, U'\u263A'}, {0x14, U'\u00B6'}, {0x15, U'\u00A7'},
        {0x1B, U'\u2190'}, {0x7F, U'\u2302'}, {0x80, U'\u00C7'}, {0x81, U'\u00FC'}, {0x84, U'\u00E4'},
        {0x8E, U'\u00C4'}, {0x94, U'\u00F6'}, {0x99, U'\u00D6'}, {0x9A, U'\u00DC'}, {0x9B, U'\u00A2'},
        {0x9D, U'\u00A5'}, {0xAF, U'\u00BB'}, {0xB0, U'\u2591'}, {0xC4, U'\u2500'}, {0xDB, U'\u2588'},
        {0xE1, U'\u00DF'}, {0xE6, U'\u00B5'}, {0xEA, U'\u03A9'}, {0xF8, U'\u00B0'}, {0xFE, U'\u25A0'},
        {0xFF, U'\u00A0'},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(codepage::fromCp437(c.byte), c.character) << "byte " << int(c.byte);
    }
}

TEST(Cp437, NoTwoBytesShareACharacter) {
    std::set<char32_t> seen;
    for (int b = 1; b < 256; b++) {
        EXPECT_TRUE(seen.insert(codepage::fromCp437(static_cast<unsigned char>(b))).second) << "byte " << b;
    }
}

TEST(Cp437, EveryPrintableByteSurvivesTheWayToUtf8AndBack) {
    for (int b = 0x20; b < 0xFF; b++) {
        const std::string one(1, static_cast<char>(b));
        EXPECT_EQ(codepage::utf8ToCp437(codepage::cp437ToUtf8(one)), one) << "byte " << b;
    }
}

TEST(Cp437, TypedTextBecomesCp437) {
    // The same characters as the window systems deliver them: UTF-8 and UTF-16.
    const struct {
        const char* utf8;
        const char16_t* utf16;
        std::string cp437;
    } cases[] = {
        {"500", u"500", "500"},
        {"\xC3\xA4\xC3\xB6\xC3\xBC\xC3\x9F", u"\u00E4\u00F6\u00FC\u00DF", "\x84\x94\x81\xE1"},  // ä ö ü ß
        {"\xC3\x84\xC3\x96\xC3\x9C", u"\u00C4\u00D6\u00DC", "\x8E\x99\x9A"},                    // Ä Ö Ü
        {"\xC2\xA7", u"\u00A7", "\x15"},             // § as the font draws it
        {"\xC2\xB0", u"\u00B0", "\xF8"},             // °
        {"5 \xE2\x82\xAC", u"5 \u20AC", "5 "},       // the euro sign has no form
        {"\xF0\x9F\x8E\xB2x", u"\U0001F3B2x", "x"},  // beyond 16 bits: dropped
        // Characters whose position is an editing or prefix code must not pose as them.
        {"\xE2\x86\x90", u"\u2190", ""},        // ← sits at 27 (Escape)
        {"\xE2\x99\xAA", u"\u266A", ""},        // ♪ sits at 13 (Enter)
        {"\xE2\x97\x98", u"\u25D8", ""},        // ◘ sits at 8 (Backspace)
        {"\xE2\x97\x8B", u"\u25CB", ""},        // ○ sits at 9 (Tab)
        {"\xE2\x97\x99", u"\u25D9", ""},        // ◙ sits at 10 (line feed)
        {"\xC2\xA0", u"\u00A0", " "},           // no-break space sits at 255, the extended prefix
        {"\x01\x1b\x7f", u"\x01\x1b\x7f", ""},  // control codes are not typed characters
    };
    for (const auto& c : cases) {
        EXPECT_EQ(codepage::utf8ToCp437(c.utf8), c.cp437) << c.utf8;
        EXPECT_EQ(codepage::utf16ToCp437(c.utf16), c.cp437) << c.utf8;
    }
}

TEST(Cp437, MalformedUtf8IsDroppedWithoutLosingWhatFollows) {
    const struct {
        std::string utf8;
        std::string cp437;
    } cases[] = {
        {"\x80"
         "a",
         "a"},         // stray continuation byte
        {"\xC3", ""},  // cut off at the end
        {"\xC3"
         "a",
         "a"},  // cut off before a plain character
        {"\xC0\xAF"
         "b",
         "b"},  // overlong '/'
        {"\xE0\x80\xAF"
         "c",
         "c"},  // overlong three-byte form
        {"\xED\xA0\x80"
         "d",
         "d"},  // UTF-16 surrogate
        {"\xF4\x90\x80\x80"
         "e",
         "e"},  // beyond U+10FFFF
        {"\xFF\xFE"
         "f",
         "f"},  // bytes that never occur in UTF-8
    };
    for (const auto& c : cases) {
        EXPECT_EQ(codepage::utf8ToCp437(c.utf8), c.cp437);
    }
    // UTF-16: a surrogate without its partner.
    const struct {
        std::u16string utf16;
        std::string cp437;
    } halves[] = {
        {std::u16string{0xD83C, u'a'}, "a"},  // high surrogate before a plain character
        {std::u16string{0xDFB2, u'b'}, "b"},  // low surrogate first
        {std::u16string(1, 0xD83C), ""},      // cut off at the end
    };
    for (const auto& c : halves) {
        EXPECT_EQ(codepage::utf16ToCp437(c.utf16), c.cp437);
    }
}

TEST(Cp437, TitlesBecomeUtf8) {
    EXPECT_EQ(codepage::cp437ToUtf8("Rotandor"), "Rotandor");
    EXPECT_EQ(codepage::cp437ToUtf8("Gr\x94\xE1"
                                    "e"),
              "Gr\xC3\xB6\xC3\x9F"
              "e");
    EXPECT_EQ(codepage::cp437ToUtf8("\xDB\x01"), "\xE2\x96\x88\xE2\x98\xBA");
}

TEST(Utf8, EncodesEachLengthAtItsBoundaries) {
    const struct {
        char32_t character;
        std::string bytes;
    } cases[] = {
        {0x7F, "\x7F"},
        {0x80, "\xC2\x80"},
        {0x7FF, "\xDF\xBF"},
        {0x800, "\xE0\xA0\x80"},
        {0xFFFD, "\xEF\xBF\xBD"},
        {0x10000, "\xF0\x90\x80\x80"},
        {0x10FFFF, "\xF4\x8F\xBF\xBF"},
    };
    for (const auto& c : cases) {
        std::string out;
        codepage::appendUtf8(out, c.character);
        EXPECT_EQ(out, c.bytes) << std::hex << static_cast<unsigned>(c.character);
    }
}

// What a window system's key enters, once its table has named it.
TEST(Keys, EachNamedKeyEntersItsCode) {
    using keys::Key;
    const struct {
        Key key;
        std::string code;
    } cases[] = {
        {Key::enter, "\r"},     {Key::backspace, "\b"},   {Key::tab, "\t"},       {Key::escape, "\x1b"},
        {Key::up, "\xFFH"},     {Key::down, "\xFFP"},     {Key::left, "\xFFK"},   {Key::right, "\xFFM"},
        {Key::home, "\xFFG"},   {Key::end, "\xFFO"},      {Key::insert, "\xFFR"}, {Key::del, "\xFFS"},
        {Key::pageUp, "\xFFI"}, {Key::pageDown, "\xFFQ"}, {Key::f1, "\xFF\x3B"},  {Key::f2, "\xFF\x3C"},
        {Key::f3, "\xFF\x3D"},  {Key::f4, "\xFF\x3E"},    {Key::f5, "\xFF\x3F"},  {Key::f6, "\xFF\x40"},
        {Key::f7, "\xFF\x41"},  {Key::f8, "\xFF\x42"},    {Key::f9, "\xFF\x43"},  {Key::f10, "\xFF\x44"},
        {Key::f11, "\xFF\x85"}, {Key::f12, "\xFF\x86"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(keys::code(c.key), c.code) << static_cast<int>(c.key);
    }
    constexpr keys::Named<const char*> table[] = {{"Enter", Key::enter}, {"F12", Key::f12}};
    EXPECT_EQ(keys::codeOf(std::string("F12"), table), "\xFF\x86");
    EXPECT_EQ(keys::codeOf(std::string("Shift"), table), "");
}

TEST(Keys, CtrlWithALetterEntersItsControlCode) {
    const struct {
        char letter;
        std::string code;
    } cases[] = {
        {'a', "\x01"},
        {'A', "\x01"},
        {'c', "\x03"},
        {'G', "\x07"},
        {'k', "\x0B"},
        {'L', "\x0C"},
        {'n', "\x0E"},
        {'z', "\x1A"},
        {'Z', "\x1A"},
        // H, I, J and M would pose as Backspace, Tab, line feed and Enter.
        {'h', ""},
        {'I', ""},
        {'j', ""},
        {'M', ""},
        // Not letters: digits, signs, and letters beyond ASCII.
        {'1', ""},
        {'@', ""},
        {'[', ""},
        {'`', ""},
        {'{', ""},
        {'\x84', ""},
        {'\x8E', ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(keys::controlCode(c.letter), c.code) << c.letter;
    }
}

}  // namespace
