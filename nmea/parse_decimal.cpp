#include "nmea/parse_decimal.h"

#include <cmath>
#include <cstdint>
#include <cstring>

namespace {

constexpr int64_t kInt32Min = -2147483648LL;
constexpr int64_t kInt32Max = 2147483647LL;

// White space as strtol skips it in the C locale, whatever locale the program runs in.
bool IsCSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// strtol into a 32-bit integer that saturates: leading white space, an optional
// sign, then at least one digit. Succeeds only if the digits run to `end`. Always
// inlined: the callers' results then live in registers, so the stack protector of the
// hardened builds has nothing to guard in the parser that runs for every line.
[[gnu::always_inline]] inline bool ConvertWholeInt32(const char* p, const char* end, int32_t* out) {
  while (p < end && IsCSpace(*p))
    ++p;
  bool negative = false;
  if (p < end && (*p == '+' || *p == '-')) negative = *p++ == '-';
  const int64_t limit = negative ? -kInt32Min : kInt32Max;
  const char* digits = p;
  int64_t magnitude = 0;
  for (; p < end && *p >= '0' && *p <= '9'; ++p) {
    magnitude = magnitude * 10 + (*p - '0');
    if (magnitude > limit) magnitude = limit;
  }
  if (p == digits || p != end) return false;
  *out = static_cast<int32_t>(negative ? -magnitude : magnitude);
  return true;
}

bool StartsNegative(const char* p, const char* end) {
  while (p < end && IsCSpace(*p))
    ++p;
  return p < end && *p == '-';
}

}  // namespace

int ParseDecimalSpan(const char* text, size_t length, double* value) {
  if (text == nullptr || value == nullptr || length == 0) return 0;
  const char* end = text + length;
  const char* dot = static_cast<const char*>(memchr(text, '.', length));
  int32_t whole = 0;
  if (dot == nullptr) {
    if (!ConvertWholeInt32(text, end, &whole)) return 0;
    *value = whole;
    return 1;
  }
  if (dot > text && !ConvertWholeInt32(text, dot, &whole)) return 0;
  double fraction = 0.0;
  const char* fraction_text = dot + 1;
  if (fraction_text < end) {
    // strtol would take "12.-5" as 12 + (-0.5) and "12. 5" as 12.5; a fraction is digits.
    if (*fraction_text < '0' || *fraction_text > '9') return 0;
    int32_t digits = 0;
    if (!ConvertWholeInt32(fraction_text, end, &digits)) return 0;
    fraction = digits;
    for (const char* p = fraction_text; p < end; ++p)
      fraction = fraction * 0.1;
  }
  *value = StartsNegative(text, dot) ? whole - fraction : whole + fraction;
  return 1;
}

int ParseDecimal(const char* text, double* value) {
  if (text == nullptr) return 0;
  return ParseDecimalSpan(text, strlen(text), value);
}

double NmeaToDegrees(double angle) {
  const double degrees = std::floor(angle * 0.01);
  return degrees + (angle - 100.0 * degrees) / 60.0;
}
