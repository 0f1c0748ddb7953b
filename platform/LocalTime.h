// The wall clock's seconds as the date and time on the booth's own clock, with the zone's offset
// from UTC: the C library's local time, which honours TZ on Linux and on Windows alike.
#pragma once

#include <cstdint>
#include <string>

struct LocalTime {
  int year = 1970;
  int month = 1;  // 1-12
  int day = 1;
  int hour = 0;
  int minute = 0;
  int second = 0;
  int utcOffsetMinutes = 0;  // east of UTC is positive: +540 for Japan
};

// `seconds` since 1970-01-01 UTC in the local time zone. A moment the C library cannot convert
// is given in UTC, and one it cannot convert at all as 1970-01-01 00:00:00 UTC.
LocalTime ToLocalTime(int64_t seconds);

// The moment as text: "2026-12-08", "14:03:05", "2026-12-08 14:03", and "20261208-140305" for the
// names of files made at that moment.
std::string DateText(const LocalTime& t);
std::string TimeText(const LocalTime& t);
std::string DateAndMinuteText(const LocalTime& t);
std::string StampText(const LocalTime& t);
