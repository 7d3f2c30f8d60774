// Elapsed time for the tests that bound how long something takes.
#pragma once

#include <chrono>
#include <cstdint>

// Milliseconds on the steady clock since `start`.
inline int64_t MsSince(std::chrono::steady_clock::time_point start) {
  const auto elapsed = std::chrono::steady_clock::now() - start;
  return std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count();
}
