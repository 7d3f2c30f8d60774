// The system clock in UTC.
#pragma once

struct UtcTime {
  int year, month, day, hour, minute, second;
};

// Fills `now` with the current UTC date and time and returns 1; 0 (and all zero) when the
// clock cannot be read.
int UtcClockNow(UtcTime* now);
