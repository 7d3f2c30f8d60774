// Speed of GGA decoding with projection, and of the projection alone; and the heap
// allocations decoding makes, which must stay none: it runs on the reader thread for
// every line.
#include <benchmark/benchmark.h>

#include <atomic>
#include <cstdlib>
#include <fstream>
#include <new>
#include <string>
#include <vector>

#include "nmea/decode_gga.h"
#include "nmea/project_utm.h"

namespace {
std::atomic<long> allocations{0};
}

__attribute__((noinline)) void* operator new(std::size_t size) {
  allocations.fetch_add(1, std::memory_order_relaxed);
  if (void* p = std::malloc(size ? size : 1)) return p;
  throw std::bad_alloc();
}
__attribute__((noinline)) void operator delete(void* p) noexcept {
  std::free(p);
}
__attribute__((noinline)) void operator delete(void* p, std::size_t) noexcept {
  std::free(p);
}

namespace {

constexpr char kExample[] = "$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,*47";

std::vector<std::string> LoadMix() {
  std::vector<std::string> lines;
  std::ifstream in(TAVIK_DATA_DIR "/bench/gga_mix.txt", std::ios::binary);
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  return lines;
}

void BM_DecodeGgaExample(benchmark::State& state) {
  GgaFix f;
  for (auto _ : state) {
    benchmark::DoNotOptimize(DecodeGga(kExample, 0, &f.time, &f.latitude, &f.longitude, &f.altitude,
                                       &f.northing, &f.easting));
    benchmark::DoNotOptimize(f);
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_DecodeGgaExample);

// Reported per line of the mix (items_per_second, and the ns/line and allocations/line
// counters).
void BM_DecodeGgaMix(benchmark::State& state) {
  static const std::vector<std::string> mix = LoadMix();
  if (mix.empty()) {
    state.SkipWithError("benchmark mix not found");
    return;
  }
  GgaFix f;
  long allocated = 0;
  for (auto _ : state) {
    const long before = allocations.load(std::memory_order_relaxed);
    for (const std::string& line : mix) {
      benchmark::DoNotOptimize(DecodeGga(line.c_str(), 0, &f.time, &f.latitude, &f.longitude,
                                         &f.altitude, &f.northing, &f.easting));
      benchmark::DoNotOptimize(f);
    }
    allocated += allocations.load(std::memory_order_relaxed) - before;
  }
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(mix.size()));
  state.counters["allocations_per_line"] =
      static_cast<double>(allocated) / static_cast<double>(state.iterations() * mix.size());
  state.counters["ns_per_line"] =
      benchmark::Counter(static_cast<double>(state.iterations() * mix.size()),
                         benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_DecodeGgaMix);

void BM_ProjectUtm(benchmark::State& state) {
  double latitude = 48.1173, longitude = 11.516666666666667;
  double northing, easting;
  for (auto _ : state) {
    benchmark::DoNotOptimize(latitude);
    benchmark::DoNotOptimize(longitude);
    ProjectUtm(&northing, &easting, latitude, longitude, 0);
    benchmark::DoNotOptimize(northing);
    benchmark::DoNotOptimize(easting);
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_ProjectUtm);

}  // namespace
