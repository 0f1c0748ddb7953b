#include "platform/LocalTime.h"

#include <cstdio>
#include <ctime>

namespace {

// Days from 1970-01-01 to a date of the proleptic Gregorian calendar.
int64_t DaysFromCivil(int64_t year, int month, int day) {
  year -= month <= 2;
  const int64_t era = (year >= 0 ? year : year - 399) / 400;
  const int64_t yearOfEra = year - era * 400;
  const int64_t dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
  const int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  return era * 146097 + dayOfEra - 719468;
}

int64_t AsUtcSeconds(const std::tm& tm) {
  return DaysFromCivil(tm.tm_year + int64_t{1900}, tm.tm_mon + 1, tm.tm_mday) * 86400 +
         tm.tm_hour * 3600 + tm.tm_min * 60 + tm.tm_sec;
}

// The zone is read afresh each time, so that a TZ set while the program runs counts.
bool Convert(int64_t seconds, std::tm& local, std::tm& utc) {
#ifdef _WIN32
  _tzset();
  const __time64_t t = seconds;
  const bool haveUtc = _gmtime64_s(&utc, &t) == 0;
  if (_localtime64_s(&local, &t) != 0) local = utc;
  return haveUtc;
#else
  tzset();
  const time_t t = static_cast<time_t>(seconds);
  const bool haveUtc = gmtime_r(&t, &utc) != nullptr;
  if (localtime_r(&t, &local) == nullptr) local = utc;
  return haveUtc;
#endif
}

}  // namespace

LocalTime ToLocalTime(int64_t seconds) {
  std::tm local{}, utc{};
  if (!Convert(seconds, local, utc)) return {};
  LocalTime out;
  out.year = local.tm_year + 1900;
  out.month = local.tm_mon + 1;
  out.day = local.tm_mday;
  out.hour = local.tm_hour;
  out.minute = local.tm_min;
  out.second = local.tm_sec;
  out.utcOffsetMinutes = static_cast<int>((AsUtcSeconds(local) - AsUtcSeconds(utc)) / 60);
  return out;
}

std::string DateText(const LocalTime& t) {
  char text[48];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d", t.year, t.month, t.day);
  return text;
}

std::string TimeText(const LocalTime& t) {
  char text[48];
  std::snprintf(text, sizeof text, "%02d:%02d:%02d", t.hour, t.minute, t.second);
  return text;
}

std::string DateAndMinuteText(const LocalTime& t) {
  char text[32];
  std::snprintf(text, sizeof text, " %02d:%02d", t.hour, t.minute);
  return DateText(t) + text;
}

std::string StampText(const LocalTime& t) {
  char text[64];
  std::snprintf(text, sizeof text, "%04d%02d%02d-%02d%02d%02d", t.year, t.month, t.day, t.hour,
                t.minute, t.second);
  return text;
}
