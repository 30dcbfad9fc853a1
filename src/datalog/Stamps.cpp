#include "datalog/Stamps.h"

#include <chrono>
#include <cstdio>
#include <ctime>

namespace kestrav::datalog {

namespace {

constexpr std::int64_t kSecondsPerDay = 86400;

// Days between 1970-01-01 and a date of the proleptic Gregorian calendar
// (H. Hinnant's days_from_civil).
std::int64_t daysFromCivil(std::int64_t y, unsigned m, unsigned d) {
  y -= m <= 2;
  const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
  const unsigned yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

void civilFromDays(std::int64_t z, int* year, int* month, int* day) {
  z += 719468;
  const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const unsigned doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  const unsigned d = doy - (153 * mp + 2) / 5 + 1;
  const unsigned m = mp < 10 ? mp + 3 : mp - 9;
  *year = static_cast<int>(static_cast<std::int64_t>(yoe) + era * 400 + (m <= 2));
  *month = static_cast<int>(m);
  *day = static_cast<int>(d);
}

const std::int64_t kEpoch2000 = daysFromCivil(2000, 1, 1);

int hour12(int hour) { return hour % 12 == 0 ? 12 : hour % 12; }
const char* half(int hour) { return hour < 12 ? "AM" : "PM"; }

}  // namespace

LocalMoment localMoment(context::Clock& clock) {
  const std::time_t t = std::chrono::system_clock::to_time_t(clock.now());
  std::tm tm{};
  localtime_r(&t, &tm);
  return {tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec};
}

// Built by hand rather than with strftime: the GUI runs under the user's
// locale, and "%p" there may not read AM/PM.
std::string displayStampText(const LocalMoment& t) {
  char buf[96];
  std::snprintf(buf, sizeof buf, "%02d:%02d:%02d %s @ %02d-%02d-%04d", hour12(t.hour), t.minute, t.second,
                half(t.hour), t.month, t.day, t.year);
  return buf;
}

std::string fileStampText(const LocalMoment& t) {
  char buf[96];
  std::snprintf(buf, sizeof buf, "%02d-%02d-%04d_%02d_%02d_%02d %s", t.month, t.day, t.year, hour12(t.hour), t.minute,
                t.second, half(t.hour));
  return buf;
}

std::optional<std::uint32_t> momentNumber(const LocalMoment& t) {
  // A leap second (60) or anything else off the calendar has no number.
  if (t.year < 2000 || t.year > 2135 || t.month < 1 || t.month > 12 || t.day < 1 || t.hour < 0 || t.hour > 23 ||
      t.minute < 0 || t.minute > 59 || t.second < 0 || t.second > 59)
    return std::nullopt;
  const std::int64_t days = daysFromCivil(t.year, static_cast<unsigned>(t.month), static_cast<unsigned>(t.day));
  int y, m, d;
  civilFromDays(days, &y, &m, &d);
  if (y != t.year || m != t.month || d != t.day) return std::nullopt;
  return static_cast<std::uint32_t>((days - kEpoch2000) * kSecondsPerDay + t.hour * 3600 + t.minute * 60 + t.second);
}

LocalMoment momentOf(std::uint32_t number) {
  const std::int64_t days = static_cast<std::int64_t>(number) / kSecondsPerDay + kEpoch2000;
  const int inDay = static_cast<int>(number % kSecondsPerDay);
  LocalMoment t{};
  civilFromDays(days, &t.year, &t.month, &t.day);
  t.hour = inDay / 3600;
  t.minute = inDay / 60 % 60;
  t.second = inDay % 60;
  return t;
}

}  // namespace kestrav::datalog
