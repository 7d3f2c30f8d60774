// The receiver captures and benchmark mix of the repository's data/ folder, shared by the
// suites and benchmarks.
#pragma once

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

// Path of a file below the data folder, e.g. DataPath("nmea/hemi.log").
inline std::string DataPath(const std::string& relative) {
  return std::string(TAVIK_DATA_DIR) + "/" + relative;
}

// Reads a whole file byte for byte; false when it cannot be read.
inline bool ReadWholeFile(const std::string& path, std::string* bytes) {
  std::ifstream in(path, std::ios::binary);
  bytes->assign(std::istreambuf_iterator<char>(in), {});
  return in.is_open() && !in.bad();
}
