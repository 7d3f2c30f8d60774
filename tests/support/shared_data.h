// The receiver captures and benchmark mixes kept beside the project.
#pragma once

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

// Path of a file below the shared data folder, e.g. SharedDataPath("nmea/hemi.log").
inline std::string SharedDataPath(const std::string& relative) {
  return std::string(TAVIK_SHARED_DATA_DIR) + "/" + relative;
}

// The names of the *.log captures, sorted; empty when the folder is absent.
inline std::vector<std::string> SharedCaptures() {
  std::vector<std::string> names;
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(SharedDataPath("nmea"), error)) {
    if (entry.path().extension() == ".log") names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

// Reads a whole file byte for byte; false when it cannot be read.
inline bool ReadWholeFile(const std::string& path, std::string* bytes) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream all;
  all << in.rdbuf();
  *bytes = all.str();
  return in.is_open() && !in.bad();
}

// Skips the current test when the shared data folder is absent (a plain clone).
#define SKIP_WITHOUT_SHARED_DATA()                                            \
  do {                                                                        \
    if (SharedCaptures().empty()) GTEST_SKIP() << "no shared capture folder"; \
  } while (0)
