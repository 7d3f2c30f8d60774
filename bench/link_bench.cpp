// Throughput of the whole link: bytes written into a pseudo-terminal, read by the reader
// thread, cut into lines, decoded with DecodeGga and counted by the fix callback.
// The line's own maximum is 256000 baud, about 25600 bytes per second.
#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>

#include "gps/gps_port.h"
#include "tests/support/pty.h"

namespace {

constexpr char kSentence[] =
    "$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,*47\r\n";
constexpr int kSentencesPerBlock = 16384;  // about 1 MB per iteration

void CountFix(double, double, double, double, double, double, void* count) {
  static_cast<std::atomic<int64_t>*>(count)->fetch_add(1, std::memory_order_relaxed);
}

void BM_LinkThroughput(benchmark::State& state) {
  Pty pty;
  if (!pty.ok() || !pty.MakeRaw()) {
    state.SkipWithError("no pseudo-terminal");
    return;
  }
  std::string block;
  for (int i = 0; i < kSentencesPerBlock; ++i)
    block += kSentence;
  std::atomic<int64_t> fixes{0};
  GpsPort port;
  GpsPortReset(&port);
  if (!GpsPortOpenNarrow(&port, pty.device().c_str(), "256000", "8", "N", "1", 2000, 0, CountFix,
                         &fixes)) {
    state.SkipWithError("cannot open the link");
    return;
  }
  // A receiver that never pauses: a read then returns at 1023 bytes, never at a time-out.
  std::atomic<bool> stop{false};
  fcntl(pty.master(), F_SETFL, O_NONBLOCK);
  std::thread receiver([&] {
    size_t at = 0;
    while (!stop) {
      pollfd room{pty.master(), POLLOUT, 0};
      if (poll(&room, 1, 50) <= 0) continue;
      const ssize_t put = write(pty.master(), block.data() + at, block.size() - at);
      if (put > 0) at = (at + static_cast<size_t>(put)) % block.size();
    }
  });
  for (auto _ : state) {
    const int64_t wanted = fixes.load(std::memory_order_relaxed) + kSentencesPerBlock;
    while (fixes.load(std::memory_order_relaxed) < wanted)
      std::this_thread::sleep_for(std::chrono::microseconds(200));
  }
  stop = true;
  receiver.join();
  GpsPortClose(&port);
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(block.size()));
  state.counters["x_line_max"] =
      benchmark::Counter(static_cast<double>(state.iterations()) * block.size() / 25600.0,
                         benchmark::Counter::kIsRate);
}
BENCHMARK(BM_LinkThroughput)->UseRealTime()->Unit(benchmark::kMillisecond);

}  // namespace
