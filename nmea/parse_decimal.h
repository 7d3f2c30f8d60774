// Decimal text to double, the way NMEA number fields are read.
#pragma once

#include <cstddef>

// Converts a NUL-terminated decimal text ("123519", "-12.5", ".4", "12.") into *value.
// The integer and fraction parts are each read like strtol into a saturating 32-bit
// integer; the fraction is scaled by repeated multiplication with 0.1, one per
// character. Returns 1; 0 on failure, with *value unspecified.
int ParseDecimal(const char* text, double* value);

// The same conversion on the first `length` bytes of `text`, which need not be
// terminated. Empty text fails.
int ParseDecimalSpan(const char* text, size_t length, double* value);

// An NMEA angle ddmm.mmmm or dddmm.mmmm in decimal degrees.
double NmeaToDegrees(double angle);
