// The receiver captures and benchmark mixes kept beside the project.
#pragma once

#include <string>
#include <vector>

// Path of a file below the shared data folder, e.g. SharedDataPath("nmea/hemi.log").
std::string SharedDataPath(const std::string& relative);

// The names of the *.log captures, sorted; empty when the folder is absent.
std::vector<std::string> SharedCaptures();

// Reads a whole file byte for byte; false when it cannot be read.
bool ReadWholeFile(const std::string& path, std::string* bytes);

// Skips the current test when the shared data folder is absent (a plain clone).
#define SKIP_WITHOUT_SHARED_DATA()                                            \
  do {                                                                        \
    if (SharedCaptures().empty()) GTEST_SKIP() << "no shared capture folder"; \
  } while (0)
