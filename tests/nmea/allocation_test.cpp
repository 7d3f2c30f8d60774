// Decoding runs on the reader thread for every line: it must never allocate.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>

#include "nmea/decode_gga.h"
#include "tests/support/shared_data.h"

namespace {
std::atomic<long> allocations{0};
}

void* operator new(std::size_t size) {
  allocations.fetch_add(1, std::memory_order_relaxed);
  if (void* p = std::malloc(size ? size : 1)) return p;
  throw std::bad_alloc();
}
void operator delete(void* p) noexcept {
  std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
  std::free(p);
}

TEST(DecodeGgaAllocation, DecodingTheBenchmarkMixAllocatesNothing) {
  std::string mix = "$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,*47\n";
  ReadWholeFile(SharedDataPath("bench/gga_mix.txt"), &mix);  // the fallback without it
  double t, la, lo, al, no, ea;
  int accepted = 0;
  const long before = allocations.load();
  // Each line is terminated in place, so nothing but the decoding runs.
  for (char* line = mix.data(); char* end = std::strchr(line, '\n'); line = end + 1) {
    *end = '\0';
    accepted += DecodeGga(line, 0, &t, &la, &lo, &al, &no, &ea);
  }
  EXPECT_EQ(allocations.load() - before, 0);
  EXPECT_GT(accepted, 0);
}
