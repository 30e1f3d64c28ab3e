// Numbers to texts and back: the conversions of numeric items, textToNumber
// and lineToInt.
#include "number_text.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <string>

#include "item_reader.h"

namespace svc {

namespace {

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

std::size_t skipLeadingBlanks(std::string_view s) {
    std::size_t i = 0;
    while (i < s.size() && (s[i] == ' ' || s[i] == '\t')) i++;
    return i;
}

// Reads a whole unsigned decimal number. A C++ library without the
// floating-point from_chars gets strtod, which the program's "C" numeric
// locale (it never sets another) reads the same way.
std::errc readDecimal(std::string_view digits, double& value) {
#if defined(__cpp_lib_to_chars) && __cpp_lib_to_chars >= 201611L
    return std::from_chars(digits.data(), digits.data() + digits.size(), value).ec;
#else
    const std::string text(digits);
    if (text.empty() || !(isDigit(text[0]) || text[0] == '.')) return std::errc::invalid_argument;
    char* end = nullptr;
    errno = 0;
    value = std::strtod(text.c_str(), &end);
    if (end == text.c_str()) return std::errc::invalid_argument;
    return errno == ERANGE ? std::errc::result_out_of_range : std::errc{};
#endif
}

// A decimal number with optional sign, whatever locale the program runs in.
// Beyond the range of a double it becomes infinite or zero with its sign.
double parseDouble(const std::string& text) {
    std::string_view digits = text;
    const bool negative = !digits.empty() && digits[0] == '-';
    if (!digits.empty() && (digits[0] == '+' || digits[0] == '-')) digits.remove_prefix(1);
    double value = 0.0;
    const std::errc error = readDecimal(digits, value);
    if (error == std::errc::result_out_of_range) {
        // Too large when the point sits right of the first significant digit.
        const std::size_t e = digits.find_first_of("eE");
        const std::string_view mantissa = digits.substr(0, e);
        const std::size_t first = mantissa.find_first_of("123456789");
        const std::size_t point = std::min(mantissa.find('.'), mantissa.size());
        long long exponent = 0;
        if (e != std::string_view::npos) {
            std::string_view power = digits.substr(e + 1);
            if (!power.empty() && power[0] == '+') power.remove_prefix(1);
            const bool down = !power.empty() && power[0] == '-';
            // Bounded so that adding the digits' places cannot overflow.
            const long long bound = 1LL << 40;
            if (std::from_chars(power.data(), power.data() + power.size(), exponent).ec != std::errc{}) {
                exponent = down ? -bound : bound;
            }
            exponent = std::clamp(exponent, -bound, bound);
        }
        const long long magnitude = static_cast<long long>(point) - static_cast<long long>(first) + exponent;
        value = magnitude > 0 ? std::numeric_limits<double>::infinity() : 0.0;
    } else if (error != std::errc{}) {
        value = 0.0;
    }
    return negative ? -value : value;
}

// The longest prefix from `i` that forms a decimal number with optional sign,
// fraction and exponent ("D" counting as "E"); 0 when there is none.
double decimalPrefix(std::string_view s, std::size_t i) {
    std::string clean;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) clean.push_back(s[i++]);
    std::size_t digits = 0;
    while (i < s.size() && isDigit(s[i])) {
        clean.push_back(s[i++]);
        digits++;
    }
    if (i < s.size() && s[i] == '.') {
        clean.push_back(s[i++]);
        while (i < s.size() && isDigit(s[i])) {
            clean.push_back(s[i++]);
            digits++;
        }
    }
    if (digits == 0) return 0.0;
    if (i < s.size() && (s[i] == 'E' || s[i] == 'e' || s[i] == 'D' || s[i] == 'd')) {
        std::size_t j = i + 1;
        std::string exponent = "e";
        if (j < s.size() && (s[j] == '+' || s[j] == '-')) exponent.push_back(s[j++]);
        if (j < s.size() && isDigit(s[j])) {
            while (j < s.size() && isDigit(s[j])) exponent.push_back(s[j++]);
            clean += exponent;
        }
    }
    return parseDouble(clean);
}

// "&H1F", "&O17", "&B101" or "&17" (octal) from the ampersand at `i`. The
// value wraps at 64 bits; callers keep the bits they need.
std::uint64_t radixValue(std::string_view s, std::size_t i) {
    i++;
    if (i >= s.size()) return 0;
    unsigned base;
    switch (s[i]) {
        case 'H':
        case 'h':
            base = 16;
            i++;
            break;
        case 'O':
        case 'o':
            base = 8;
            i++;
            break;
        case 'B':
        case 'b':
            base = 2;
            i++;
            break;
        default:
            if (!isDigit(s[i])) return 0;
            base = 8;
    }
    std::uint64_t value = 0;
    for (; i < s.size(); i++) {
        const char c = s[i];
        unsigned digit;
        if (isDigit(c))
            digit = static_cast<unsigned>(c - '0');
        else if (c >= 'A' && c <= 'F')
            digit = static_cast<unsigned>(c - 'A' + 10);
        else if (c >= 'a' && c <= 'f')
            digit = static_cast<unsigned>(c - 'a' + 10);
        else
            break;
        if (digit >= base) break;
        value = value * base + digit;
    }
    return value;
}

// Sign and digits from `i`, clamped to [minimum, maximum].
std::int64_t decimalInteger(std::string_view s, std::size_t i, std::int64_t minimum, std::int64_t maximum) {
    bool negative = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) negative = s[i++] == '-';
    // Magnitudes stop growing past 2^63, which is beyond every limit used.
    constexpr std::uint64_t cap = std::uint64_t{1} << 63;
    std::uint64_t magnitude = 0;
    for (; i < s.size() && isDigit(s[i]); i++) {
        if (magnitude > cap) continue;
        magnitude = magnitude > cap / 10 ? cap + 1 : magnitude * 10 + static_cast<std::uint64_t>(s[i] - '0');
    }
    if (negative) {
        if (magnitude >= static_cast<std::uint64_t>(-(minimum + 1)) + 1) return minimum;
        return -static_cast<std::int64_t>(magnitude);
    }
    if (magnitude >= static_cast<std::uint64_t>(maximum)) return maximum;
    return static_cast<std::int64_t>(magnitude);
}

template <typename Int>
Int roundToEven(double value) {
    const double r = std::nearbyint(value);
    // Both limits as doubles are exact powers of two.
    constexpr double above = -static_cast<double>(std::numeric_limits<Int>::min());
    if (std::isnan(r)) return 0;
    if (r >= above) return std::numeric_limits<Int>::max();
    if (r < -above) return std::numeric_limits<Int>::min();
    return static_cast<Int>(r);
}

// An integer item read the short way: a radix number or sign and digits.
std::int32_t shortInteger(std::string_view s) {
    const std::size_t i = skipLeadingBlanks(s);
    if (i < s.size() && s[i] == '&') {
        return static_cast<std::int32_t>(static_cast<std::uint32_t>(radixValue(s, i)));
    }
    return static_cast<std::int32_t>(
        decimalInteger(s, i, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()));
}

}  // namespace

namespace records {

std::int32_t itemToInt32(const Item& item) {
    if (item.decimal) return roundToEven<std::int32_t>(decimalPrefix(item.bytes, skipLeadingBlanks(item.bytes)));
    return shortInteger(item.bytes);
}

std::int64_t itemToInt64(const Item& item) {
    if (item.decimal) return roundToEven<std::int64_t>(decimalPrefix(item.bytes, skipLeadingBlanks(item.bytes)));
    if (item.bytes.size() < 10) return itemToInt32(item);
    return decimalInteger(item.bytes, skipLeadingBlanks(item.bytes), std::numeric_limits<std::int64_t>::min(),
                          std::numeric_limits<std::int64_t>::max());
}

double itemToDouble(const Item& item) {
    const std::string& s = item.bytes;
    if (item.decimal || (s.size() >= 19 && s[0] != '&')) return decimalPrefix(s, skipLeadingBlanks(s));
    if (s.size() < 10) return itemToInt32(item);
    return static_cast<double>(itemToInt64(item));
}

}  // namespace records

std::string intToText(std::int32_t value) {
    return std::to_string(value);
}

std::string unsigned64ToText(std::uint64_t value) {
    return std::to_string(value);
}

double textToNumber(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && text[i] == ' ') i++;
    if (i < text.size() && text[i] == '&') {
        return static_cast<std::int32_t>(static_cast<std::uint32_t>(radixValue(text, i)));
    }
    return decimalPrefix(text, i);
}

std::int32_t lineToInt(std::string_view line) {
    records::Source source = records::memorySource(line);
    return records::itemToInt32(records::readItem(source, records::ReadKind::number));
}

}  // namespace svc
