// Whole numbers given on the tools' command lines.
#pragma once

#include <cstdint>

// True when `text` is a whole decimal number from `low` to `high`; stores it in `value`.
bool ParseInteger(const char* text, int64_t low, int64_t high, int64_t* value);
