#include "tests/support/shared_data.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

std::string SharedDataPath(const std::string& relative) {
  return std::string(TAVIK_SHARED_DATA_DIR) + "/" + relative;
}

std::vector<std::string> SharedCaptures() {
  std::vector<std::string> names;
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(SharedDataPath("nmea"), error)) {
    if (entry.path().extension() == ".log") names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

bool ReadWholeFile(const std::string& path, std::string* bytes) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  bytes->assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return !in.bad();
}
