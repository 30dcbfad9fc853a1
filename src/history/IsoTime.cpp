#include "history/IsoTime.h"

#include <cstdio>
#include <ctime>

namespace kestrav::history {

std::string isoLocalTime(std::chrono::system_clock::time_point t) {
  using namespace std::chrono;
  const auto ms = duration_cast<milliseconds>(t.time_since_epoch()).count();
  // Floor division: a time before 1970 still gets 0..999 milliseconds.
  std::time_t seconds = static_cast<std::time_t>(ms / 1000);
  long millis = static_cast<long>(ms % 1000);
  if (millis < 0) millis += 1000, --seconds;
  std::tm local{};
  localtime_r(&seconds, &local);
  const int offsetMinutes = static_cast<int>(local.tm_gmtoff / 60);
  const int absMinutes = offsetMinutes < 0 ? -offsetMinutes : offsetMinutes;
  char text[64];
  std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d.%03ld%c%02d:%02d", local.tm_year + 1900,
                local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec, millis,
                offsetMinutes < 0 ? '-' : '+', absMinutes / 60, absMinutes % 60);
  return text;
}

}  // namespace kestrav::history
