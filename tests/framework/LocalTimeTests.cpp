// Local time from the system's services only, against Berlin's clocks (this
// executable runs with TZ=Europe/Berlin) and the C runtime that the product
// used before: both sides of both changes of 2024, across 2038, the range's edges.
#include <gtest/gtest.h>

#include <stdio.h>
#include <stdlib.h>
#include <time.h>

#include <string>

#include "framework/LocalTime.h"

TEST(LocalTime, FollowsTheRuleOfEachDateAsTheRuntimeDid)
{
    TIME_ZONE_INFORMATION zone{};
    if (::GetTimeZoneInformation(&zone) == TIME_ZONE_ID_INVALID || zone.Bias != -60 || zone.DaylightDate.wMonth != 3)
        GTEST_SKIP() << "the zone Europe/Berlin is not there (TZ=Europe/Berlin, package tzdata)";
    _putenv("TZ=");  // the runtime reads TZ in a format of its own; the device has none
    _tzset();
    const auto text = [](int year, int month, int day, int hour, int minute, int second) {
        char written[32];
        snprintf(written, sizeof written, "%04d-%02d-%02d %02d:%02d:%02d", year, month, day, hour, minute, second);
        return std::string(written);
    };
    enum { kToLocal = 1, kFromLocal = 2, kBoth = 3 };
    const struct {
        long long seconds;  // -1: cannot be converted
        const char* local;  // "": cannot be converted
        int ways;
    } rows[] = {
        {0, "1970-01-01 01:00:00", kBoth},           {-1, "1970-01-01 00:59:59", kFromLocal},
        {1711846799, "2024-03-31 01:59:59", kBoth},  {1711846800, "2024-03-31 03:00:00", kBoth},
        {1711845000, "2024-03-31 02:30:00", kFromLocal},  // skipped: taken as standard time
        {1729987199, "2024-10-27 01:59:59", kBoth},  {1729990799, "2024-10-27 02:59:59", kToLocal},
        {1729990800, "2024-10-27 02:00:00", kBoth},  // repeated: taken as standard time
        {1729992600, "2024-10-27 02:30:00", kBoth},  {2147483647, "2038-01-19 04:14:07", kBoth},
        {2147483648, "2038-01-19 04:14:08", kBoth},  {2161591200, "2038-07-01 12:00:00", kBoth},
        {32535244799, "3001-01-01 08:59:59", kToLocal}, {32535244800, "", kToLocal},
        {-1, "3001-01-01 00:00:00", kFromLocal},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::to_string(row.seconds) + " " + row.local);
        if (row.ways & kToLocal) {
            SYSTEMTIME local{};
            tm runtime{};
            const __time64_t seconds = row.seconds;
            const bool converted = fw::ToLocalTime(row.seconds, local);
            ASSERT_EQ(converted, _localtime64_s(&runtime, &seconds) == 0);
            const std::string shown =
                converted ? text(local.wYear, local.wMonth, local.wDay, local.wHour, local.wMinute, local.wSecond) : "";
            EXPECT_EQ(row.local, shown);
            if (converted) {
                EXPECT_EQ(text(runtime.tm_year + 1900, runtime.tm_mon + 1, runtime.tm_mday, runtime.tm_hour,
                               runtime.tm_min, runtime.tm_sec), shown);
                EXPECT_EQ(runtime.tm_wday, local.wDayOfWeek);
            }
        }
        if (row.ways & kFromLocal) {
            SYSTEMTIME local{};
            sscanf(row.local, "%hu-%hu-%hu %hu:%hu:%hu", &local.wYear, &local.wMonth, &local.wDay, &local.wHour,
                   &local.wMinute, &local.wSecond);
            tm runtime{local.wSecond, local.wMinute, local.wHour, local.wDay, local.wMonth - 1, local.wYear - 1900,
                       0, 0, -1};
            long long seconds = -1;
            EXPECT_EQ(row.seconds != -1, fw::FromLocalTime(local, seconds));
            EXPECT_EQ(row.seconds, seconds);
            EXPECT_EQ(row.seconds, _mktime64(&runtime));
        }
    }
    EXPECT_LE(llabs(_time64(nullptr) - fw::CurrentTime()), 1);
}
