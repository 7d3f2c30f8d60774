#include "tools/parse_integer.h"

#include <cerrno>
#include <cstdlib>

bool ParseInteger(const char* text, int64_t low, int64_t high, int64_t* value) {
  if (text == nullptr || *text == '\0') return false;
  char* end = nullptr;
  errno = 0;
  const long long parsed = strtoll(text, &end, 10);
  if (*end != '\0' || errno != 0 || parsed < low || parsed > high) return false;
  *value = parsed;
  return true;
}
