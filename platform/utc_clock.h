// The system clock in UTC.
#pragma once

struct UtcTime {
  int year, month, day, hour, minute, second;
};

// Fills `now` with the current UTC date and time; false (and all zero) when the
// clock cannot be read.
bool UtcClockNow(UtcTime* now);
