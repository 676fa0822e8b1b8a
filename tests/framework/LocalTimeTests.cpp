// Local time from the system's services only, against the C runtime that the
// product used before and against Berlin's clocks (this executable runs with
// TZ=Europe/Berlin): on both sides of both changes of 2024, across 2038 and
// at the edges of the range.
#include <gtest/gtest.h>

#include <stdlib.h>
#include <time.h>

#include <string>

#include "framework/LocalTime.h"

namespace {

std::string Text(const SYSTEMTIME& time)
{
    char text[32];
    snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", time.wYear, time.wMonth, time.wDay, time.wHour,
             time.wMinute, time.wSecond);
    return text;
}

SYSTEMTIME Fields(const char* text)
{
    SYSTEMTIME time{};
    sscanf(text, "%hu-%hu-%hu %hu:%hu:%hu", &time.wYear, &time.wMonth, &time.wDay, &time.wHour, &time.wMinute,
           &time.wSecond);
    return time;
}

}  // namespace

TEST(LocalTime, FollowsTheRuleOfEachDateAsTheRuntimeDid)
{
    TIME_ZONE_INFORMATION zone{};
    if (::GetTimeZoneInformation(&zone) == TIME_ZONE_ID_INVALID || zone.Bias != -60 || zone.DaylightDate.wMonth != 3)
        GTEST_SKIP() << "the zone Europe/Berlin is not there (TZ=Europe/Berlin, package tzdata)";
    // The runtime reads a TZ variable in its own format; the device has none and takes the system's zone.
    _putenv("TZ=");
    _tzset();

    enum Direction { kBoth, kToLocal, kFromLocal };
    struct Row {
        long long seconds;  // -1: cannot be converted
        const char* local;  // nullptr: cannot be converted
        Direction direction;
    } const rows[] = {
        {0, "1970-01-01 01:00:00", kBoth},
        {-1, "1970-01-01 00:59:59", kFromLocal},  // before 1970 in UTC
        {1711846799, "2024-03-31 01:59:59", kBoth},
        {1711846800, "2024-03-31 03:00:00", kBoth},
        {1711845000, "2024-03-31 02:30:00", kFromLocal},  // skipped: taken as standard time
        {1729987199, "2024-10-27 01:59:59", kBoth},
        {1729990799, "2024-10-27 02:59:59", kToLocal},  // summer time, the first time round
        {1729990800, "2024-10-27 02:00:00", kBoth},     // repeated: taken as standard time
        {1729992600, "2024-10-27 02:30:00", kBoth},
        {2147483647, "2038-01-19 04:14:07", kBoth},
        {2147483648, "2038-01-19 04:14:08", kBoth},
        {2161591200, "2038-07-01 12:00:00", kBoth},
        {32535244799, "3001-01-01 08:59:59", kToLocal},
        {32535244800, nullptr, kToLocal},
        {-1, "3001-01-01 00:00:00", kFromLocal},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.local ? row.local : std::to_string(row.seconds));
        if (row.direction != kFromLocal) {
            SYSTEMTIME local{};
            const bool converted = fw::ToLocalTime(row.seconds, local);
            EXPECT_EQ(row.local != nullptr, converted);
            if (converted && row.local) {
                EXPECT_EQ(row.local, Text(local));
            }
            tm runtime{};
            const __time64_t seconds = row.seconds;
            ASSERT_EQ(converted, _localtime64_s(&runtime, &seconds) == 0);
            if (converted) {
                EXPECT_EQ(runtime.tm_year + 1900, local.wYear);
                EXPECT_EQ(runtime.tm_mon + 1, local.wMonth);
                EXPECT_EQ(runtime.tm_mday, local.wDay);
                EXPECT_EQ(runtime.tm_wday, local.wDayOfWeek);
                EXPECT_EQ(runtime.tm_hour * 3600 + runtime.tm_min * 60 + runtime.tm_sec,
                          local.wHour * 3600 + local.wMinute * 60 + local.wSecond);
            }
        }
        if (row.direction != kToLocal) {
            const SYSTEMTIME local = Fields(row.local);
            long long seconds = -1;
            EXPECT_EQ(row.seconds != -1, fw::FromLocalTime(local, seconds));
            EXPECT_EQ(row.seconds, seconds);
            tm runtime{};
            runtime.tm_year = local.wYear - 1900;
            runtime.tm_mon = local.wMonth - 1;
            runtime.tm_mday = local.wDay;
            runtime.tm_hour = local.wHour;
            runtime.tm_min = local.wMinute;
            runtime.tm_sec = local.wSecond;
            runtime.tm_isdst = -1;
            EXPECT_EQ(row.seconds, _mktime64(&runtime));
        }
    }
    const long long now = fw::CurrentTime();
    EXPECT_LE(llabs(_time64(nullptr) - now), 1);
}
