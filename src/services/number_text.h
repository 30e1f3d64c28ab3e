#pragma once
// Numbers to texts and back: the decimal texts the game prints, and numbers
// read from texts by the rules of the record items.
#include <cstdint>
#include <string>
#include <string_view>

namespace svc {

std::string intToText(std::int32_t value);
std::string unsigned64ToText(std::uint64_t value);
// The number a text starts with, 0 when it starts with none.
double textToNumber(std::string_view text);
// A typed line read as its first numeric item, as a 32-bit integer.
std::int32_t lineToInt(std::string_view line);

namespace records {

struct Item;

// Items of numeric reads. Out of range: decimal numbers saturate at the
// type's limits; &H, &O and &B numbers keep their low 32 bits.
std::int32_t itemToInt32(const Item& item);
std::int64_t itemToInt64(const Item& item);
double itemToDouble(const Item& item);

}  // namespace records

}  // namespace svc
