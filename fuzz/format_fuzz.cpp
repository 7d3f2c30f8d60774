// Any UTF-16 text as a read-out format from a language module: the check that decides
// whether it may be used, and the bounded formatting that trusts that check.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <memory>

#include "platform/wide_format.h"

constexpr size_t kReadoutCount = 15;  // a read-out: 15 units and a terminator

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // Exactly the given units and a terminator, on the heap, so every overread shows.
  const size_t units = size / 2;
  auto format = std::make_unique<char16_t[]>(units + 1);
  memcpy(format.get(), data, units * 2);
  format[units] = 0;

  const bool usable = IsSingleDoubleFormat(format.get());
  using Limits = std::numeric_limits<double>;
  const double values[] = {
      0.0, -0.0, 48.1173, -1e308, Limits::max(), Limits::quiet_NaN(), Limits::infinity()};
  for (const double value : values) {
    char16_t out[kReadoutCount + 1];
    const int written = WideFormatDouble(out, kReadoutCount, format.get(), value);
    if (!usable && (written != -1 || out[0] != 0)) abort();
    if (written > static_cast<int>(kReadoutCount)) abort();
  }
  return 0;
}
