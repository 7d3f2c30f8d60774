#include "platform/utc_clock.h"

#include <ctime>

int UtcClockNow(UtcTime* now) {
  if (now == nullptr) return 0;
  *now = UtcTime{};
  timespec clock{};
  tm fields{};
  if (clock_gettime(CLOCK_REALTIME, &clock) != 0) return 0;
  if (gmtime_r(&clock.tv_sec, &fields) == nullptr) return 0;
  *now = UtcTime{fields.tm_year + 1900, fields.tm_mon + 1, fields.tm_mday,
                 fields.tm_hour,        fields.tm_min,     fields.tm_sec};
  return 1;
}
