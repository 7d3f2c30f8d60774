// Runs one of the built programs as a person would, and collects what it printed.
#pragma once

#include <algorithm>
#include <string>
#include <vector>

struct ProgramResult {
  int exit_status = -1;  // -1 when the program did not exit normally
  int signal = 0;        // the signal that ended it, if any
  std::string out;
  std::string err;
};

// Path of a program in the build's bin folder.
std::string BinPath(const std::string& program);

// Runs argv[0] (a path) with the given arguments, feeding `input` on standard input.
// `env` entries "NAME=value" are added to the inherited environment.
ProgramResult RunProgram(const std::vector<std::string>& argv, const std::string& input = "",
                         const std::vector<std::string>& env = {});

// The rows of tavik-decode's CSV output `out`, its header not counted.
inline size_t CsvRows(const std::string& out) {
  return std::max<size_t>(std::ranges::count(out, '\n'), 1) - 1;
}
