#include "LocalTime.h"

namespace fw {

namespace {

constexpr long long kSecondsFrom1601To1970 = 11644473600LL;
constexpr long long kTicksPerSecond = 10000000;
constexpr long long kSecondsPerDay = 86400;
constexpr long long kLatestTime = 32535244799LL;  // 3001-01-01 07:59:59 UTC

// Seconds since 1970 as calendar fields, and back, without any zone.
bool Split(long long seconds, SYSTEMTIME& fields)
{
    const unsigned long long ticks = static_cast<unsigned long long>(seconds + kSecondsFrom1601To1970) * kTicksPerSecond;
    const FILETIME time{static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
    return ::FileTimeToSystemTime(&time, &fields) != FALSE;
}

bool Join(const SYSTEMTIME& fields, long long& seconds)
{
    FILETIME time{};
    if (!::SystemTimeToFileTime(&fields, &time))
        return false;
    const unsigned long long ticks = (static_cast<unsigned long long>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
    seconds = static_cast<long long>(ticks / kTicksPerSecond) - kSecondsFrom1601To1970;
    return true;
}

int DaysInMonth(int year, int month)
{
    static const int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && leap ? 29 : kDays[(month - 1) % 12];
}

// When a rule's change happens in a year, on the clock the rule is written
// in: day wDay of the month when the rule names a year, otherwise the wDay-th
// (5: last) weekday wDayOfWeek of the month; at wHour:wMinute.
long long ChangeIn(int year, const SYSTEMTIME& rule)
{
    SYSTEMTIME first{};
    first.wYear = static_cast<WORD>(year);
    first.wMonth = rule.wMonth;
    first.wDay = 1;
    long long start = 0;
    Join(first, start);
    int day = rule.wDay;
    if (rule.wYear == 0) {
        const int firstWeekday = static_cast<int>(((start / kSecondsPerDay + 4) % 7 + 7) % 7);  // 1970-01-01: Thursday
        day = 1 + (rule.wDayOfWeek - firstWeekday + 7) % 7 + 7 * (rule.wDay - 1);
        if (day > DaysInMonth(year, rule.wMonth))
            day -= 7;
    }
    return start + (day - 1) * kSecondsPerDay + rule.wHour * 3600LL + rule.wMinute * 60LL;
}

}  // namespace

long long CurrentTime()
{
    SYSTEMTIME now{};
    ::GetSystemTime(&now);
    long long seconds = 0;
    Join(now, seconds);
    return seconds;
}

// The zone as the system describes it.
LocalZone::LocalZone()
{
    TIME_ZONE_INFORMATION info{};
    if (::GetTimeZoneInformation(&info) == TIME_ZONE_ID_INVALID)
        return;
    m_bias = 60LL * (info.Bias + (info.StandardDate.wMonth ? info.StandardBias : 0));
    // A rule in weekday form names its week 1 to 5 (5: the last); a rule that
    // cannot be read counts as none.
    auto week = [](WORD day) { return day >= 1 && day <= 5; };
    m_daylight = info.DaylightDate.wMonth != 0 && info.StandardDate.wMonth != 0 &&
                 (info.StandardDate.wYear != 0 || (week(info.StandardDate.wDay) && week(info.DaylightDate.wDay)));
    if (m_daylight) {
        m_shift = 60LL * (info.DaylightBias - info.StandardBias);
        m_begins = info.DaylightDate;
        m_ends = info.StandardDate;
    }
}

// By the rule applied to that moment's own year.
bool LocalZone::IsDaylight(long long standard) const
{
    SYSTEMTIME fields{}, onDaylightClock{};
    if (!m_daylight || !Split(standard, fields) || !Split(standard - m_shift, onDaylightClock))
        return false;
    const int year = fields.wYear;
    const bool beforeEnd = onDaylightClock.wYear == year ? standard - m_shift < ChangeIn(year, m_ends)
                                                          : onDaylightClock.wYear < year;
    const bool afterBegin = standard >= ChangeIn(year, m_begins);
    // North of the equator summer lies inside the year, south of it across its turn.
    return m_begins.wMonth < m_ends.wMonth ? beforeEnd && afterBegin : beforeEnd || afterBegin;
}

bool LocalZone::ToLocal(long long seconds, SYSTEMTIME& local) const
{
    if (seconds < 0 || seconds > kLatestTime)
        return false;
    long long standard = seconds - m_bias;
    if (IsDaylight(standard))
        standard -= m_shift;
    return Split(standard, local);
}

bool LocalZone::FromLocal(const SYSTEMTIME& local, long long& seconds) const
{
    long long standard = 0;
    if (local.wYear < 1970 || local.wYear > 3000 || !Join(local, standard))
        return false;
    if (IsDaylight(standard))
        standard += m_shift;
    const long long universal = standard + m_bias;
    if (universal < 0 || universal > kLatestTime)
        return false;
    seconds = universal;
    return true;
}

bool ToLocalTime(long long seconds, SYSTEMTIME& local)
{
    return LocalZone().ToLocal(seconds, local);
}

bool FromLocalTime(const SYSTEMTIME& local, long long& seconds)
{
    return LocalZone().FromLocal(local, seconds);
}

}  // namespace fw
