#pragma once
// Calendar time from the system's own services (the device's system has no C
// runtime time functions): 64-bit seconds since 1970-01-01 00:00 UTC, as the
// C runtime counts them, and local time with the daylight-saving rule of the
// date in question. FileTimeToLocalFileTime applies today's bias to every
// date, which would move a summer time by an hour in winter.

#include <windows.h>

namespace fw {

// Now, in seconds since 1970 (UTC).
long long CurrentTime();

// The local calendar time of seconds since 1970. False before 1970 and after
// 3001-01-01 07:59:59 UTC, the range the C runtime converts.
bool ToLocalTime(long long seconds, SYSTEMTIME& local);

// The reverse: seconds since 1970 of a local calendar time of the years 1970
// to 3000. A time in the hour skipped in spring counts as standard time, one
// in the hour repeated in autumn as the second (standard) one. False when the
// fields are not a valid time or the result is out of range.
bool FromLocalTime(const SYSTEMTIME& local, long long& seconds);

// The system's zone and its daylight-saving rule, read once for converting
// many times (reading it takes longer than a conversion).
class LocalZone {
public:
    LocalZone();
    // As ToLocalTime, by this zone.
    bool ToLocal(long long seconds, SYSTEMTIME& local) const;
    // As FromLocalTime, by this zone.
    bool FromLocal(const SYSTEMTIME& local, long long& seconds) const;

private:
    // Whether daylight time applies at a moment given on the standard clock.
    bool IsDaylight(long long standard) const;

    // UTC = standard time + bias; daylight time = standard time - shift
    // (shift is -3600 for an hour forward in summer).
    long long m_bias = 0;
    bool m_daylight = false;
    long long m_shift = 0;
    SYSTEMTIME m_begins{};  // on the standard clock
    SYSTEMTIME m_ends{};    // on the daylight clock
};

}  // namespace fw
