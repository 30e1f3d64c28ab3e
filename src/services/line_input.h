#pragma once
// One line typed on the graphics screen, read as a number.
#include <cstdint>
#include <optional>

namespace svc {

// Line input at the text cursor; the first item of the line as an integer,
// or nothing when the window's close button ended the input (the caller
// decides what a close means).
std::optional<std::int32_t> inputInteger();

}  // namespace svc
