// A clock that only moves forward, for measuring how long something has lasted.
#pragma once

#include <cstdint>

// Nanoseconds since an arbitrary start; unaffected by changes of the date and time.
int64_t MonotonicNs();
// The same clock in whole milliseconds.
int64_t MonotonicMs();
