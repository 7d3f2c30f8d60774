// A clock that only moves forward, for measuring how long something has lasted.
#pragma once

#include <cstdint>

// Milliseconds since an arbitrary start; unaffected by changes of the date and time.
int64_t MonotonicMs();
