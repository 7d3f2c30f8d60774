// Bounded formatting of one number into a UTF-16 text with a UTF-16 printf format.
#pragma once

#include <cstddef>

// The longest format accepted, in code units without the terminator.
inline constexpr size_t kMaxWideFormatUnits = 31;

// 1 when `format` (terminated within kMaxWideFormatUnits + 1 code units) holds
// exactly one floating-point conversion (%f %F %e %E %g %G %a %A, optionally with
// flags "-+ #0", a width and a precision of at most two digits and the length 'l')
// and no other conversion but "%%", and converts to UTF-8. Only such a format is
// safe to use with a single double argument.
int IsSingleDoubleFormat(const char16_t* format);

// snprintf of `value` with `format` (one double conversion, checked by the caller) in
// the C locale's numbers, a decimal point, whatever locale the program runs in: the
// one way every number the program writes gets its point.
int FormatCNumber(char* out, size_t size, const char* format, double value);

// Formats `value` with `format` into `out`, writing at most `count` code units and a
// terminator only when fewer than `count` were written. Returns the number of units
// written, or -1 when the text was cut at `count` or the format was refused by
// IsSingleDoubleFormat (`out` then starts with a terminator when count > 0).
// Numbers are the C locale's (a decimal point), whatever locale the program runs in.
int WideFormatDouble(char16_t* out, size_t count, const char16_t* format, double value);
