// Speed of GGA decoding with projection, and of the projection alone.
#include <benchmark/benchmark.h>

#include <fstream>
#include <string>
#include <vector>

#include "nmea/decode_gga.h"
#include "nmea/project_utm.h"

namespace {

constexpr char kExample[] = "$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,*47";

std::vector<std::string> LoadMix() {
  std::vector<std::string> lines;
  std::ifstream in(std::string(TAVIK_SHARED_DATA_DIR) + "/bench/gga_mix.txt", std::ios::binary);
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

// Reported per line of the mix (items_per_second and the ns/line counter).
void BM_DecodeGgaMix(benchmark::State& state) {
  static const std::vector<std::string> mix = LoadMix();
  if (mix.empty()) {
    state.SkipWithError("benchmark mix not found");
    return;
  }
  GgaFix f;
  for (auto _ : state) {
    for (const std::string& line : mix) {
      benchmark::DoNotOptimize(DecodeGga(line.c_str(), 0, &f.time, &f.latitude, &f.longitude,
                                         &f.altitude, &f.northing, &f.easting));
      benchmark::DoNotOptimize(f);
    }
  }
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(mix.size()));
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
