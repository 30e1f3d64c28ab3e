// Reading items back: separators by read kind, quotes, line ends, the item
// limits, the numeric conversions and hostile files.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "number_text.h"
#include "records.h"
#include "sandbox.h"

namespace {

// One read on the file and what it must give. Kinds: 'T' readText, 'I'
// readInt, 'L' readInt64, 'D' readDouble, 'E' atEndOfFile.
struct Read {
    char kind;
    std::string result;
};
struct FileCase {
    const char* name;
    std::string bytes;
    std::vector<Read> reads;
};

std::string perform(char kind) {
    if (kind == 'T') return svc::readText();
    if (kind == 'I') return std::to_string(svc::readInt());
    if (kind == 'L') return std::to_string(svc::readInt64());
    if (kind == 'E') return std::to_string(svc::atEndOfFile(1));
    char text[64];
    std::snprintf(text, sizeof text, "%.17g", svc::readDouble());
    return text;
}

void check(const std::vector<FileCase>& cases) {
    for (const FileCase& c : cases) {
        sandbox::Sandbox box(false);
        sandbox::writeFile(box.dir() / "in.txt", c.bytes);
        ASSERT_EQ(svc::openFile("in.txt", svc::OpenMode::input, 1), 0);
        svc::beginRead(1);
        for (std::size_t i = 0; i < c.reads.size(); i++) {
            EXPECT_EQ(perform(c.reads[i].kind), c.reads[i].result) << c.name << ", read " << i;
        }
        svc::closeFile(1);
    }
}

const std::string atEnd = "-1";
const std::string notAtEnd = "0";

TEST(ItemReader, SeparatorsAndLineEnds) {
    check({
        {"zoned line",
         " 1" + std::string(12, ' ') + " 0" + std::string(12, ' ') + " 3\r\n",
         {{'I', "1"}, {'E', notAtEnd}, {'I', "0"}, {'I', "3"}, {'E', atEnd}}},
        {"comma and blank", "ab, cd\r\n", {{'T', "ab"}, {'T', "cd"}, {'E', atEnd}}},
        {"line feeds", "1\n2\n", {{'I', "1"}, {'I', "2"}, {'E', atEnd}}},
        {"carriage returns", "1\r2\r", {{'I', "1"}, {'I', "2"}, {'E', atEnd}}},
        {"empty line in between", "a\r\n\r\nb", {{'T', "a"}, {'T', ""}, {'T', "b"}, {'E', atEnd}}},
        {"empty line at the end", "5\r\n\r\n", {{'I', "5"}, {'E', notAtEnd}, {'I', "0"}, {'E', atEnd}}},
        {"no line end at the end", "7", {{'I', "7"}, {'E', atEnd}, {'I', "0"}, {'T', ""}}},
        {"text keeps inner and trailing blanks", "ab  ,c d\t,x", {{'T', "ab  "}, {'T', "c d\t"}, {'T', "x"}}},
        {"numbers end at blanks and tabs", "1 2\t3", {{'I', "1"}, {'I', "2"}, {'I', "3"}, {'E', atEnd}}},
        {"blanks then one comma", "1 , 2\r\n", {{'I', "1"}, {'I', "2"}, {'E', atEnd}}},
        {"two commas give an empty item", "1,,2", {{'I', "1"}, {'I', "0"}, {'I', "2"}}},
        {"layout record",
         "10,20,30,40,1.5\r\n",
         {{'I', "10"}, {'I', "20"}, {'I', "30"}, {'I', "40"}, {'D', "1.5"}, {'E', atEnd}}},
        {"quoted text keeps commas", "\"a, b\",c\r\n", {{'T', "a, b"}, {'T', "c"}}},
        {"bytes after the closing quote start the next item", "\"ab\"cd\r\n", {{'T', "ab"}, {'T', "cd"}}},
        {"a later quote is an ordinary byte", "ab\"c,d\",x", {{'T', "ab\"c"}, {'T', "d\""}, {'T', "x"}}},
        {"unterminated quote", "\"abc, d", {{'T', "abc, d"}, {'E', atEnd}}},
        {"line end ends a quote", "\"ab\r\ncd\"", {{'T', "ab"}, {'T', "cd\""}, {'E', atEnd}}},
        {"quoted number goes on unquoted", "\"1\"2,3", {{'I', "12"}, {'I', "3"}}},
        {"quoted number keeps its blanks", "\" 4 2\"", {{'I', "4"}}},
    });
}

TEST(ItemReader, ItemLimits) {
    const std::string longText(5000, 'x');
    const std::string ones(67, '1');
    check({
        {"text cut at 4096",
         longText + "\r\n",
         {{'T', std::string(4096, 'x')}, {'T', std::string(904, 'x')}, {'E', atEnd}}},
        {"quoted text cut too",
         "\"" + longText + "\"",
         {{'T', std::string(4096, 'x')}, {'T', std::string(904, 'x') + "\""}}},
        {"number cut at 67", std::string(66, '0') + "12", {{'I', "1"}, {'I', "2"}, {'E', atEnd}}},
        {"number of exactly 67", ones + ",5", {{'L', "9223372036854775807"}, {'I', "5"}}},
    });
}

TEST(ItemReader, NumericConversions) {
    check({
        {"readInt",
         "12abc,abc,&H1F,1e3,2.5,3.5,-2.5,1d2,+5,-12,&HFF,&hff,&O17,&17,&B101,&HE,&X1,&,-,.5,&H",
         {{'I', "12"},  {'I', "0"},  {'I', "31"},  {'I', "1000"}, {'I', "2"},   {'I', "4"},  {'I', "-2"},
          {'I', "100"}, {'I', "5"},  {'I', "-12"}, {'I', "255"},  {'I', "255"}, {'I', "15"}, {'I', "15"},
          {'I', "5"},   {'I', "14"}, {'I', "0"},   {'I', "0"},    {'I', "0"},   {'I', "0"},  {'I', "0"}}},
        {"readInt beyond 32 bits",
         "2147483648,-2147483649,1e10,-1e10,&HFFFFFFFF,&H1FFFFFFFF,99999999999999999999999",
         {{'I', "2147483647"},
          {'I', "-2147483648"},
          {'I', "2147483647"},
          {'I', "-2147483648"},
          {'I', "-1"},
          {'I', "-1"},
          {'I', "2147483647"}}},
        {"readInt64",
         "100000000000,999999999,-12345678,2147483648,1.5e3,&H1F,9223372036854775807,"
         "9223372036854775808,-9223372036854775809,12345678901234567890123,1e30,4.5",
         {{'L', "100000000000"},
          {'L', "999999999"},
          {'L', "-12345678"},
          {'L', "2147483648"},
          {'L', "1500"},
          {'L', "31"},
          {'L', "9223372036854775807"},
          {'L', "9223372036854775807"},
          {'L', "-9223372036854775808"},
          {'L', "9223372036854775807"},
          {'L', "9223372036854775807"},
          {'L', "4"}}},
        // Ten bytes and more are decimal digits only, with or without an ampersand.
        {"readInt64 of long ampersand items", "&H7FFFFFFF,&HFF", {{'L', "0"}, {'L', "255"}}},
        {"readDouble",
         "2.5,123456789,1234567890123,12345678901234567890,&H1F,-7,1D-2,&HFFFFFFFFFFFFFFFFF",
         {{'D', "2.5"},
          {'D', "123456789"},
          {'D', "1234567890123"},
          {'D', "1.2345678901234567e+19"},
          {'D', "31"},
          {'D', "-7"},
          {'D', "0.01"},
          {'D', "0"}}},
        {"huge exponent",
         "1e999,-1e999,1e-999,1e9223372036854775807,1e-9223372036854775807,1e99999999999999999999",
         {{'D', "inf"}, {'D', "-inf"}, {'D', "0"}, {'D', "inf"}, {'D', "0"}, {'D', "inf"}}},
    });
}

TEST(ItemReader, HostileFiles) {
    sandbox::Sandbox box(false);
    // A 10 MB line comes back in whole 4096-byte items, nothing lost or doubled.
    const std::size_t size = 10 * 1024 * 1024;
    std::string line(size, 'a');
    for (std::size_t i = 0; i < size; i += 997) line[i] = static_cast<char>('b' + i % 20);
    sandbox::writeFile(box.dir() / "long.txt", line);
    ASSERT_EQ(svc::openFile("long.txt", svc::OpenMode::input, 1), 0);
    svc::beginRead(1);
    std::string back;
    int items = 0;
    while (!svc::atEndOfFile(1) && items < 10000) {
        back += svc::readText();
        items++;
    }
    svc::closeFile(1);
    EXPECT_EQ(items, static_cast<int>((size + 4095) / 4096));
    EXPECT_TRUE(back == line);

    // Cut short after opening: the end still comes, or a loop over it never ends.
    sandbox::writeFile(box.dir() / "shrinks.txt", "1,2\r\n3\r\n");
    ASSERT_EQ(svc::openFile("shrinks.txt", svc::OpenMode::input, 1), 0);
    sandbox::writeFile(box.dir() / "shrinks.txt", "");
    svc::beginRead(1);
    EXPECT_EQ(svc::readInt(), 0);
    EXPECT_EQ(svc::atEndOfFile(1), -1);
    svc::closeFile(1);
}

TEST(NumberTexts, LineToInt) {
    struct Case {
        std::string line;
        std::int32_t value;
    };
    const Case cases[] = {
        {"  42", 42},
        {"7,5", 7},
        {"2.5", 2},
        {"3.5", 4},
        {"abc", 0},
        {"", 0},
        {"-5", -5},
        {"12 34", 12},
        {"\t9", 9},
        {"99999999999", 2147483647},
        {"-99999999999", -2147483647 - 1},
        {"1e10", 2147483647},
        {"&H10", 16},
        {"\"3\"", 3},
        {"0.5", 0},
        {"1.5", 2},
        {"-0.5", 0},
    };
    for (const Case& c : cases) EXPECT_EQ(svc::lineToInt(c.line), c.value) << "[" << c.line << "]";
}

TEST(NumberTexts, TextToNumber) {
    struct Case {
        std::string text;
        double value;
    };
    const Case cases[] = {
        {"", 0},      {"12-07-2026", 12}, {"07-2026", 7},    {"2026", 2026}, {"  5", 5}, {"1.5e2", 150}, {"1d2", 100},
        {"&H10", 16}, {"&O10", 8},        {"-3.25x", -3.25}, {"e5", 0},      {".", 0},   {"5e", 5},      {"5e+", 5},
        {"+.5", 0.5}, {"5.", 5},          {"1,5", 1},        {"abc", 0},     {"-", 0},   {"0x1F", 0},
    };
    for (const Case& c : cases) EXPECT_EQ(svc::textToNumber(c.text), c.value) << "[" << c.text << "]";
}

}  // namespace
