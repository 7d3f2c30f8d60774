// A built program left running while the test goes on (a receiver simulator, a reader).
#pragma once

#include <signal.h>
#include <sys/types.h>

#include <functional>
#include <string>
#include <vector>

#include "tests/support/run_program.h"
#include "tests/support/temp_dir.h"

class BackgroundProgram {
 public:
  // Starts argv[0] with `env` entries added, reading `input`; its output goes to files
  // until it ends. Not copied: its scratch folder is its own.
  explicit BackgroundProgram(const std::vector<std::string>& argv,
                             const std::vector<std::string>& env = {},
                             const std::string& input = "");
  ~BackgroundProgram() { Finish(SIGKILL, 5000); }

  pid_t pid() const { return pid_; }
  // What it has written to standard output / standard error so far.
  std::string OutputSoFar() const { return Written(1); }
  std::string ErrorsSoFar() const { return Written(2); }
  // Sends `signal` (0: none) and waits up to `timeout_ms` for it to end; a program still
  // running then is killed and reported with exit_status -1 and signal SIGKILL.
  ProgramResult Finish(int signal, int timeout_ms);

 private:
  std::string Written(int fd) const;

  TempDir dir_;
  pid_t pid_ = -1;
};

// Does `act` and looks at `done` every 50 ms until `done` holds or `timeout_ms` passed;
// returns done().
bool PollUntil(
    const std::function<bool()>& done, int timeout_ms, const std::function<void()>& act = [] {});
