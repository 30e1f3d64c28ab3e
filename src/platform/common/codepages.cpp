#include "codepages.h"

#include <cstdint>

namespace codepage {

namespace {

// Code page 437 as the screen font draws it: the low 32 positions are
// pictures, not control codes.
// clang-format off
constexpr char16_t cp437Low[32] = {
    0x0000, 0x263A, 0x263B, 0x2665, 0x2666, 0x2663, 0x2660, 0x2022,
    0x25D8, 0x25CB, 0x25D9, 0x2642, 0x2640, 0x266A, 0x266B, 0x263C,
    0x25BA, 0x25C4, 0x2195, 0x203C, 0x00B6, 0x00A7, 0x25AC, 0x21A8,
    0x2191, 0x2193, 0x2192, 0x2190, 0x221F, 0x2194, 0x25B2, 0x25BC,
};

constexpr char16_t cp437High[128] = {
    0x00C7, 0x00FC, 0x00E9, 0x00E2, 0x00E4, 0x00E0, 0x00E5, 0x00E7,  // 80
    0x00EA, 0x00EB, 0x00E8, 0x00EF, 0x00EE, 0x00EC, 0x00C4, 0x00C5,
    0x00C9, 0x00E6, 0x00C6, 0x00F4, 0x00F6, 0x00F2, 0x00FB, 0x00F9,  // 90
    0x00FF, 0x00D6, 0x00DC, 0x00A2, 0x00A3, 0x00A5, 0x20A7, 0x0192,
    0x00E1, 0x00ED, 0x00F3, 0x00FA, 0x00F1, 0x00D1, 0x00AA, 0x00BA,  // A0
    0x00BF, 0x2310, 0x00AC, 0x00BD, 0x00BC, 0x00A1, 0x00AB, 0x00BB,
    0x2591, 0x2592, 0x2593, 0x2502, 0x2524, 0x2561, 0x2562, 0x2556,  // B0
    0x2555, 0x2563, 0x2551, 0x2557, 0x255D, 0x255C, 0x255B, 0x2510,
    0x2514, 0x2534, 0x252C, 0x251C, 0x2500, 0x253C, 0x255E, 0x255F,  // C0
    0x255A, 0x2554, 0x2569, 0x2566, 0x2560, 0x2550, 0x256C, 0x2567,
    0x2568, 0x2564, 0x2565, 0x2559, 0x2558, 0x2552, 0x2553, 0x256B,  // D0
    0x256A, 0x2518, 0x250C, 0x2588, 0x2584, 0x258C, 0x2590, 0x2580,
    0x03B1, 0x00DF, 0x0393, 0x03C0, 0x03A3, 0x03C3, 0x00B5, 0x03C4,  // E0
    0x03A6, 0x0398, 0x03A9, 0x03B4, 0x221E, 0x03C6, 0x03B5, 0x2229,
    0x2261, 0x00B1, 0x2265, 0x2264, 0x2320, 0x2321, 0x00F7, 0x2248,  // F0
    0x00B0, 0x2219, 0x00B7, 0x221A, 0x207F, 0x00B2, 0x25A0, 0x00A0,
};

constexpr char16_t unassigned = 0xFFFD;

constexpr char16_t cp1252C1[32] = {
    0x20AC, unassigned, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  // 80
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, unassigned, 0x017D, unassigned,
    unassigned, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, unassigned, 0x017E, 0x0178,
};
// clang-format on

bool actsAsControl(int byte) {
    return byte == 0 || byte == 8 || byte == 9 || byte == 10 || byte == 13 || byte == 27 || byte == 255;
}

}  // namespace

char32_t fromCp437(unsigned char byte) {
    if (byte < 0x20) return cp437Low[byte];
    if (byte == 0x7F) return 0x2302;
    if (byte < 0x80) return byte;
    return cp437High[byte - 0x80];
}

char32_t fromCp1252(unsigned char byte) {
    if (byte >= 0x80 && byte < 0xA0) return cp1252C1[byte - 0x80];
    return byte;
}

int typedToCp437(char32_t character) {
    if (character >= 0x20 && character < 0x7F) return static_cast<int>(character);
    // A no-break space types as a plain blank: its own position, 255, is the
    // extended-key prefix.
    if (character == 0xA0) return 0x20;
    if (character < 0x80) return -1;
    for (int byte = 1; byte < 256; byte++) {
        if (fromCp437(static_cast<unsigned char>(byte)) == character) {
            return actsAsControl(byte) ? -1 : byte;
        }
    }
    return -1;
}

void appendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

std::string cp437ToUtf8(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char b : text) appendUtf8(out, fromCp437(static_cast<unsigned char>(b)));
    return out;
}

std::string cp1252ToUtf8(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char b : text) appendUtf8(out, fromCp1252(static_cast<unsigned char>(b)));
    return out;
}

std::string utf8ToCp437(std::string_view text) {
    std::string out;
    std::size_t i = 0;
    while (i < text.size()) {
        const unsigned char lead = static_cast<unsigned char>(text[i]);
        int length = 0;
        char32_t c = 0, minimum = 0;
        if (lead < 0x80) {
            length = 1;
            c = lead;
        } else if ((lead & 0xE0) == 0xC0) {
            length = 2;
            c = lead & 0x1F;
            minimum = 0x80;
        } else if ((lead & 0xF0) == 0xE0) {
            length = 3;
            c = lead & 0x0F;
            minimum = 0x800;
        } else if ((lead & 0xF8) == 0xF0) {
            length = 4;
            c = lead & 0x07;
            minimum = 0x10000;
        } else {
            i++;  // stray continuation byte or invalid lead
            continue;
        }
        bool valid = i + static_cast<std::size_t>(length) <= text.size();
        for (int k = 1; valid && k < length; k++) {
            const unsigned char next = static_cast<unsigned char>(text[i + static_cast<std::size_t>(k)]);
            if ((next & 0xC0) != 0x80) {
                valid = false;
            } else {
                c = (c << 6) | (next & 0x3F);
            }
        }
        if (!valid || c < minimum || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) {
            i++;  // resynchronise on the next byte
            continue;
        }
        i += static_cast<std::size_t>(length);
        const int byte = typedToCp437(c);
        if (byte >= 0) out += static_cast<char>(byte);
    }
    return out;
}

std::string utf16ToCp437(std::u16string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); i++) {
        char32_t c = text[i];
        if (c >= 0xDC00 && c <= 0xDFFF) continue;
        if (c >= 0xD800 && c <= 0xDBFF) {
            if (i + 1 >= text.size() || text[i + 1] < 0xDC00 || text[i + 1] > 0xDFFF) continue;
            c = 0x10000 + ((c - 0xD800) << 10) + (text[++i] - 0xDC00);
        }
        const int byte = typedToCp437(c);
        if (byte >= 0) out += static_cast<char>(byte);
    }
    return out;
}

std::string crLfToLf(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); i++) {
        if (text[i] == '\r') {
            out += '\n';
            if (i + 1 < text.size() && text[i + 1] == '\n') i++;
        } else {
            out += text[i];
        }
    }
    return out;
}

}  // namespace codepage
