// The monotonic clock, sleeping and the local date and time on a POSIX
// system, for the platforms that have no clock of their own.
#include <cerrno>
#include <cstdint>
#include <ctime>

#include "platform.h"

namespace platform {

std::uint64_t counter() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<std::uint64_t>(ts.tv_sec) * 1000000000ULL + static_cast<std::uint64_t>(ts.tv_nsec);
}

std::uint64_t counterFrequency() {
    return 1000000000ULL;
}

void sleepMilliseconds(int ms) {
    if (ms <= 0) return;
    timespec wait{ms / 1000, static_cast<long>(ms % 1000) * 1000000L};
    timespec rest{};
    while (nanosleep(&wait, &rest) != 0 && errno == EINTR) wait = rest;
}

bool localTime(LocalTime& out) {
    const std::time_t now = std::time(nullptr);
    if (now == static_cast<std::time_t>(-1)) return false;
    std::tm tm{};
    if (localtime_r(&now, &tm) == nullptr) return false;
    out = LocalTime{tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec};
    return true;
}

}  // namespace platform
