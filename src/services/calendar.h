#pragma once
// Dates as day serials: days since 30 December 1899, the time of day as the
// fraction. Local time, whole seconds.
#include <cstdint>
#include <string>

namespace svc {

std::string todayText();  // "MM-DD-YYYY", "" when the local time is unknown
std::string timeText();   // "HH:MM:SS", "" when the local time is unknown
double nowSerial();       // 0 when the local time is unknown
// Out-of-range months and days are carried into the years and months.
std::int64_t dateSerial(std::int32_t year, std::int32_t month, std::int32_t day);
std::int64_t daysBetween(double first, double second);
int weekdayOf(double serial);  // 1 = Sunday .. 7 = Saturday
int hourOf(double serial);

}  // namespace svc
