#include "tests/support/background_program.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <climits>

#include "tests/support/shared_data.h"

extern char** environ;

BackgroundProgram::BackgroundProgram(const std::vector<std::string>& argv,
                                     const std::vector<std::string>& env,
                                     const std::string& input) {
  if (!WriteWholeFile(dir_.File("0"), input)) return;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  for (int fd : {0, 1, 2}) {
    posix_spawn_file_actions_addopen(&actions, fd, dir_.File(std::to_string(fd)).c_str(),
                                     fd == 0 ? O_RDONLY : O_WRONLY | O_CREAT | O_TRUNC, 0644);
  }
  // env(1) puts the entries added over those inherited, and becomes the program.
  std::vector<std::string> words(argv);
  if (!env.empty()) words.insert(words.begin(), env.begin(), env.end());
  if (!env.empty()) words.insert(words.begin(), "/usr/bin/env");
  std::vector<char*> args;
  for (std::string& word : words)
    args.push_back(word.data());
  args.push_back(nullptr);
  if (posix_spawn(&pid_, args[0], &actions, nullptr, args.data(), environ) != 0) pid_ = -1;
  posix_spawn_file_actions_destroy(&actions);
}

std::string BackgroundProgram::Written(int fd) const {
  std::string bytes;
  ReadWholeFile(dir_.File(std::to_string(fd)), &bytes);
  return bytes;
}

ProgramResult BackgroundProgram::Finish(int signal, int timeout_ms) {
  ProgramResult result;
  if (pid_ <= 0) return result;
  if (signal != 0) kill(pid_, signal);
  int status = 0;
  const auto give_up = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
  while (waitpid(pid_, &status, WNOHANG) == 0) {
    if (std::chrono::steady_clock::now() >= give_up) kill(pid_, SIGKILL);
    usleep(2000);
  }
  if (WIFEXITED(status)) result.exit_status = WEXITSTATUS(status);
  if (WIFSIGNALED(status)) result.signal = WTERMSIG(status);
  pid_ = -1;
  result.out = OutputSoFar();
  result.err = ErrorsSoFar();
  return result;
}

std::string BinPath(const std::string& program) {
  return std::string(TAVIK_BIN_DIR) + "/" + program;
}

ProgramResult RunProgram(const std::vector<std::string>& argv, const std::string& input,
                         const std::vector<std::string>& env) {
  BackgroundProgram program(argv, env, input);
  if (!program.started()) return ProgramResult{-1, 0, "", "cannot start " + argv.at(0)};
  // As long as it takes: ctest's time-out ends a hang.
  return program.Finish(0, INT_MAX);
}
