// Day serials (days since 30 December 1899, the time of day as the fraction)
// and the texts of the local date and time.
#include "calendar.h"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <limits>

#include "platform.h"

namespace svc {

namespace {

// 1 January 1970, the origin of std::chrono::sys_days, as a day serial.
constexpr std::int64_t unixEpochSerial = 25569;
constexpr std::int64_t daysPer400Years = 146097;

std::int64_t floorDiv(std::int64_t a, std::int64_t b) {
    std::int64_t q = a / b;
    if ((a % b != 0) && ((a < 0) != (b < 0))) q--;
    return q;
}

// The serial of the first day of a month. Years may lie far beyond the range
// of std::chrono::year (a damaged date file gives any numbers), so whole
// 400-year cycles, which all have the same length, are taken off first.
std::int64_t firstOfMonth(std::int64_t year, unsigned month) {
    const std::int64_t cycles = floorDiv(year - 2000, 400);
    const int inCycle = static_cast<int>(year - cycles * 400);
    const std::chrono::sys_days first{std::chrono::year{inCycle} / std::chrono::month{month} / 1};
    return first.time_since_epoch().count() + unixEpochSerial + cycles * daysPer400Years;
}

// The day of a serial; NaN counts as day 0.
double wholeDay(double serial) {
    if (std::isnan(serial)) return 0.0;
    return std::floor(serial);
}

bool now(platform::LocalTime& t) {
    return platform::localTime(t);
}

}  // namespace

std::int64_t dateSerial(std::int32_t year, std::int32_t month, std::int32_t day) {
    const std::int64_t monthsFromJanuary = static_cast<std::int64_t>(month) - 1;
    const std::int64_t carriedYear = year + floorDiv(monthsFromJanuary, 12);
    const auto carriedMonth = static_cast<unsigned>(monthsFromJanuary - floorDiv(monthsFromJanuary, 12) * 12 + 1);
    // Days beyond the month's end, and day 0 and below, simply run on into the
    // following or previous months.
    return firstOfMonth(carriedYear, carriedMonth) + static_cast<std::int64_t>(day) - 1;
}

std::int64_t daysBetween(double first, double second) {
    const double days = wholeDay(second) - wholeDay(first);
    if (std::isnan(days)) return 0;                  // both infinite with one sign
    constexpr double limit = 9223372036854775808.0;  // 2^63
    if (days >= limit) return std::numeric_limits<std::int64_t>::max();
    if (days < -limit) return std::numeric_limits<std::int64_t>::min();
    return static_cast<std::int64_t>(days);
}

int weekdayOf(double serial) {
    if (!std::isfinite(serial)) serial = 0.0;
    // fmod is exact, so even serials beyond 2^53 give a weekday in range.
    int w = static_cast<int>(std::fmod(std::floor(serial) - 1.0, 7.0)) + 1;
    if (w <= 0) w += 7;
    return w;
}

int hourOf(double serial) {
    if (!std::isfinite(serial)) return 0;
    // Before day 0 the fraction still counts forward from midnight: -1.25 is 06:00.
    const double magnitude = std::fabs(serial);
    const double fraction = magnitude - std::floor(magnitude);
    // The small addition lifts a time stored a rounding error below a full hour.
    const int hour = static_cast<int>((fraction + 0.000000001) * 24.0);
    // In the last 86 microseconds of a day the addition would give 24.
    return hour > 23 ? 23 : hour;
}

double nowSerial() {
    platform::LocalTime t{};
    if (!now(t)) return 0.0;
    return static_cast<double>(dateSerial(t.year, t.month, t.day)) + t.hour / 24.0 + t.minute / 1440.0 +
           t.second / 86400.0;
}

std::string todayText() {
    platform::LocalTime t{};
    if (!now(t)) return "";
    char text[48];
    std::snprintf(text, sizeof text, "%02d-%02d-%04d", t.month, t.day, t.year);
    return text;
}

std::string timeText() {
    platform::LocalTime t{};
    if (!now(t)) return "";
    char text[48];
    std::snprintf(text, sizeof text, "%02d:%02d:%02d", t.hour, t.minute, t.second);
    return text;
}

}  // namespace svc
