#include "platform/utc_clock.h"

#include <ctime>

bool UtcClockNow(UtcTime* now) {
  if (now == nullptr) return false;
  *now = UtcTime{};
  timespec clock{};
  tm fields{};
  if (clock_gettime(CLOCK_REALTIME, &clock) != 0) return false;
  if (gmtime_r(&clock.tv_sec, &fields) == nullptr) return false;
  *now = UtcTime{fields.tm_year + 1900, fields.tm_mon + 1, fields.tm_mday,
                 fields.tm_hour,        fields.tm_min,     fields.tm_sec};
  return true;
}
