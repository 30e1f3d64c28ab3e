#include <gtest/gtest.h>

#include <string>

#include "codepages.h"

namespace {

TEST(Cp1252, BytesMapToUnicode) {
    const struct {
        unsigned char byte;
        char32_t character;
    } cases[] = {
        {0x41, U'A'},
        {0x80, U'\u20AC'},
        {0x82, U'\u201A'},
        {0x84, U'\u201E'},
        {0x8A, U'\u0160'},
        {0x8C, U'\u0152'},
        {0x8E, U'\u017D'},
        {0x91, U'\u2018'},
        {0x93, U'\u201C'},
        {0x96, U'\u2013'},
        {0x99, U'\u2122'},
        {0x9C, U'\u0153'},
        {0x9F, U'\u0178'},
        {0xA0, U'\u00A0'},
        {0xA7, U'\u00A7'},
        {0xC4, U'\u00C4'},
        {0xD6, U'\u00D6'},
        {0xDC, U'\u00DC'},
        {0xDF, U'\u00DF'},
        {0xE4, U'\u00E4'},
        {0xF6, U'\u00F6'},
        {0xFC, U'\u00FC'},
        {0xFF, U'\u00FF'},
        // Unassigned in the code page.
        {0x81, U'\uFFFD'},
        {0x8D, U'\uFFFD'},
        {0x8F, U'\uFFFD'},
        {0x90, U'\uFFFD'},
        {0x9D, U'\uFFFD'},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(codepage::fromCp1252(c.byte), c.character) << "byte " << int(c.byte);
    }
}

TEST(Cp1252, MessageTextsBecomeUtf8) {
    const struct {
        std::string cp1252;
        std::string utf8;
    } cases[] = {
        {"Ihr Gewinn ist: 50 \x80", "Ihr Gewinn ist: 50 \xE2\x82\xAC"},
        {"Sie k\xF6nnen", "Sie k\xC3\xB6nnen"},
        {"gel\xF6st", "gel\xC3\xB6st"},
        {"gro\xDF"
         "e H\xE4lfte",
         "gro\xC3\x9F"
         "e H\xC3\xA4lfte"},
        {"Passwort f\xFCr", "Passwort f\xC3\xBCr"},
        {"", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(codepage::cp1252ToUtf8(c.cp1252), c.utf8);
    }
}

TEST(Cp1252, LineBreaksBecomeLineFeeds) {
    const struct {
        std::string in, out;
    } cases[] = {
        {"Geld!\r\nMit einem Neustart", "Geld!\nMit einem Neustart"},
        {"a\r\n\r\nb", "a\n\nb"},
        {"a\rb", "a\nb"},
        {"a\nb", "a\nb"},
        {"a\r", "a\n"},
        {"\n\r", "\n\n"},
        {"no break", "no break"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(codepage::crLfToLf(c.in), c.out);
    }
}

}  // namespace
