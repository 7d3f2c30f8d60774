// The receiver captures and benchmark mixes kept beside the project.
#pragma once

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

// Path of a file below the shared data folder, e.g. SharedDataPath("nmea/hemi.log").
inline std::string SharedDataPath(const std::string& relative) {
  return std::string(TAVIK_SHARED_DATA_DIR) + "/" + relative;
}

// Reads a whole file byte for byte; false when it cannot be read.
inline bool ReadWholeFile(const std::string& path, std::string* bytes) {
  std::ifstream in(path, std::ios::binary);
  bytes->assign(std::istreambuf_iterator<char>(in), {});
  return in.is_open() && !in.bad();
}

// Skips the current test when the shared data folder is absent (a plain clone).
#define SKIP_WITHOUT_SHARED_DATA()                              \
  do {                                                          \
    if (!std::filesystem::is_directory(SharedDataPath("nmea"))) \
      GTEST_SKIP() << "no shared capture folder";               \
  } while (0)
