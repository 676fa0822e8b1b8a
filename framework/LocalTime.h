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

}  // namespace fw
