#include "tools/sim/capture_bursts.h"

namespace {

bool IsGga(const std::string& line) {
  size_t start = 0;
  while (start < line.size() && (line[start] == '\r' || line[start] == '\n'))
    ++start;
  return line.size() >= start + 6 && line[start] == '$' && line.compare(start + 3, 3, "GGA") == 0;
}

}  // namespace

std::vector<std::string> CaptureBursts(const std::string& capture) {
  std::vector<std::string> bursts;
  std::string burst;
  size_t start = 0;
  while (start < capture.size()) {
    size_t end = capture.find('\n', start);
    end = end == std::string::npos ? capture.size() : end + 1;
    const std::string line = capture.substr(start, end - start);
    start = end;
    if (line[0] == '#') continue;
    burst += line;
    if (IsGga(line)) {
      bursts.push_back(burst);
      burst.clear();
    }
  }
  if (!burst.empty()) bursts.push_back(burst);
  return bursts;
}
