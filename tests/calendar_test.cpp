// Day serials, carries, weekdays, hours and the texts of the local time.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>

#include "calendar.h"
#include "scripted.h"

namespace {

using svc::dateSerial;

// The day count done the long way, a year and a month at a time, as a
// reference that shares nothing with the service.
bool leap(std::int64_t y) {
    return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
}

int monthLength(std::int64_t y, int m) {
    static const int lengths[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return m == 2 && leap(y) ? 29 : lengths[m - 1];
}

std::int64_t slowSerial(std::int64_t y, std::int64_t m, std::int64_t d) {
    while (m > 12) {
        m -= 12;
        y++;
    }
    while (m < 1) {
        m += 12;
        y--;
    }
    while (d > monthLength(y, static_cast<int>(m))) {
        d -= monthLength(y, static_cast<int>(m));
        if (++m > 12) {
            m = 1;
            y++;
        }
    }
    while (d < 1) {
        if (--m < 1) {
            m = 12;
            y--;
        }
        d += monthLength(y, static_cast<int>(m));
    }
    std::int64_t serial = 2;
    for (std::int64_t year = 1900; year < y; year++) serial += leap(year) ? 366 : 365;
    for (std::int64_t year = y; year < 1900; year++) serial -= leap(year) ? 366 : 365;
    for (int month = 1; month < m; month++) serial += monthLength(y, month);
    return serial + d - 1;
}

TEST(Calendar, DateSerialOfKnownDays) {
    struct Case {
        int y, m, d;
        std::int64_t serial;
    };
    const Case cases[] = {
        {1899, 12, 30, 0}, {1899, 12, 31, 1},    {1900, 1, 1, 2},    {1900, 2, 28, 60},
        {1900, 3, 1, 61},  {2026, 12, 7, 46363}, {1899, 12, 29, -1}, {2000, 3, 1, 36586},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(dateSerial(c.y, c.m, c.d), c.serial) << c.y << "-" << c.m << "-" << c.d;
    }
}

TEST(Calendar, MonthsAndDaysCarry) {
    struct Case {
        int y, m, d, y2, m2, d2;
    };
    const Case cases[] = {
        {2024, 2, 30, 2024, 3, 1},  {2023, 2, 29, 2023, 3, 1},  {2026, 1, 0, 2025, 12, 31},
        {2025, 13, 1, 2026, 1, 1},  {2026, 0, 1, 2025, 12, 1},  {2026, -12, 1, 2024, 12, 1},
        {2026, -11, 1, 2025, 1, 1}, {2026, 3, -1, 2026, 2, 27}, {2024, 1, 367, 2025, 1, 1},
        {0, 0, 0, -1, 11, 30},      {2026, 25, 1, 2028, 1, 1},  {2026, 1, -365, 2024, 12, 31},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(dateSerial(c.y, c.m, c.d), dateSerial(c.y2, c.m2, c.d2)) << c.y << "-" << c.m << "-" << c.d;
    }
}

TEST(Calendar, DateSerialAgreesWithTheLongCount) {
    std::mt19937 gen(7);
    std::uniform_int_distribution<int> year(1500, 2400), month(-30, 30), day(-800, 800);
    for (int i = 0; i < 3000; i++) {
        const int y = year(gen), m = month(gen), d = day(gen);
        ASSERT_EQ(dateSerial(y, m, d), slowSerial(y, m, d)) << y << "-" << m << "-" << d;
    }
}

TEST(Calendar, ExtremeInputsStayConsistent) {
    constexpr int hi = std::numeric_limits<std::int32_t>::max();
    constexpr int lo = std::numeric_limits<std::int32_t>::min();
    // Neighbouring days stay one apart and 400 years stay 146097 days apart at
    // the ends of the range, where an overflow would show.
    EXPECT_EQ(dateSerial(hi, hi, hi) - dateSerial(hi, hi, hi - 1), 1);
    EXPECT_EQ(dateSerial(lo, lo, lo + 1) - dateSerial(lo, lo, lo), 1);
    EXPECT_EQ(dateSerial(hi, 1, 1) - dateSerial(hi - 400, 1, 1), 146097);
    EXPECT_EQ(dateSerial(lo + 400, 1, 1) - dateSerial(lo, 1, 1), 146097);
    EXPECT_EQ(dateSerial(2026, hi, 1), dateSerial(2026 + (hi - 1) / 12, (hi - 1) % 12 + 1, 1));
    EXPECT_EQ(dateSerial(2026, 1, hi) - dateSerial(2026, 1, 1), static_cast<std::int64_t>(hi) - 1);
    EXPECT_EQ(dateSerial(2026, 1, lo) - dateSerial(2026, 1, 1), static_cast<std::int64_t>(lo) - 1);
}

TEST(Calendar, DaysBetween) {
    const double inf = std::numeric_limits<double>::infinity();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    struct Case {
        double first, second;
        std::int64_t days;
    };
    const Case cases[] = {
        {46362.99, 46363.01, 1},
        {46363.01, 46363.99, 0},
        {46363, 46362, -1},
        {-0.5, 0.5, 1},
        {0, 46363.5, 46363},
        {nan, 5.5, 5},
        {0, inf, std::numeric_limits<std::int64_t>::max()},
        {0, -inf, std::numeric_limits<std::int64_t>::min()},
        {inf, inf, 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(svc::daysBetween(c.first, c.second), c.days) << c.first << " " << c.second;
    }
}

TEST(Calendar, WeekdayOf) {
    struct Case {
        double serial;
        int weekday;
    };
    const Case cases[] = {
        {46363, 2}, {46363.99, 2}, {1, 1}, {0, 7}, {0.5, 7}, {-1, 6}, {-0.5, 6}, {7, 7}, {8, 1}, {-7, 7},
    };
    for (const Case& c : cases) EXPECT_EQ(svc::weekdayOf(c.serial), c.weekday) << c.serial;
    for (double odd :
         {1e300, -1e300, std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity()}) {
        const int w = svc::weekdayOf(odd);
        EXPECT_TRUE(w >= 1 && w <= 7) << odd;
    }
}

TEST(Calendar, HourOf) {
    struct Case {
        double serial;
        int hour;
    };
    const Case cases[] = {
        {46363.5, 12},           {46363.9999, 23}, {46363.0, 0},
        {46363.99999999999, 23}, {-1.25, 6},       {std::numeric_limits<double>::quiet_NaN(), 0},
    };
    for (const Case& c : cases) EXPECT_EQ(svc::hourOf(c.serial), c.hour) << c.serial;
}

TEST(Calendar, LocalTimeTextsAndSerial) {
    scripted::reset();
    scripted::setLocalTime(2026, 12, 7, 18, 30, 12);
    EXPECT_EQ(svc::todayText(), "12-07-2026");
    EXPECT_EQ(svc::timeText(), "18:30:12");
    EXPECT_DOUBLE_EQ(svc::nowSerial(), 46363 + 18 / 24.0 + 30 / 1440.0 + 12 / 86400.0);
    EXPECT_EQ(svc::weekdayOf(svc::nowSerial()), 2);

    scripted::setLocalTime(987, 1, 2, 3, 4, 5);
    EXPECT_EQ(svc::todayText(), "01-02-0987");
    EXPECT_EQ(svc::timeText(), "03:04:05");

    scripted::setLocalTimeUnavailable();
    EXPECT_EQ(svc::todayText(), "");
    EXPECT_EQ(svc::timeText(), "");
    EXPECT_EQ(svc::nowSerial(), 0.0);
}

TEST(Calendar, HourOfNowAtEveryFullHourAndJustBefore) {
    // The stored fraction of a full hour can lie a rounding error below it.
    scripted::reset();
    for (int h = 0; h < 24; h++) {
        scripted::setLocalTime(2026, 12, 7, h, 0, 0);
        EXPECT_EQ(svc::hourOf(svc::nowSerial()), h) << h;
        scripted::setLocalTime(2026, 12, 7, h, 59, 59);
        EXPECT_EQ(svc::hourOf(svc::nowSerial()), h) << h << ":59:59";
    }
}

}  // namespace
