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
  WriteWholeFile(dir_.File("0"), input);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  for (int fd : {0, 1, 2})
    posix_spawn_file_actions_addopen(&actions, fd, dir_.File(std::to_string(fd)).c_str(),
                                     fd == 0 ? O_RDONLY : O_WRONLY | O_CREAT | O_TRUNC, 0644);
  // env(1) puts the entries added over those inherited, and becomes the program. The
  // words are only read, though posix_spawn takes them as char*.
  std::vector<char*> args{const_cast<char*>("/usr/bin/env")};
  for (const auto* words : {&env, &argv})
    for (const std::string& word : *words)
      args.push_back(const_cast<char*>(word.c_str()));
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
  if (pid_ <= 0) return {};
  if (signal != 0) kill(pid_, signal);
  int status = 0;
  const auto give_up = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
  for (; waitpid(pid_, &status, WNOHANG) == 0; usleep(2000))
    if (std::chrono::steady_clock::now() >= give_up) kill(pid_, SIGKILL);
  pid_ = -1;
  return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, WIFSIGNALED(status) ? WTERMSIG(status) : 0,
          OutputSoFar(), ErrorsSoFar()};
}

std::string BinPath(const std::string& program) {
  return std::string(TAVIK_BIN_DIR) + "/" + program;
}

ProgramResult RunProgram(const std::vector<std::string>& argv, const std::string& input,
                         const std::vector<std::string>& env) {
  // As long as it takes: ctest's time-out ends a hang.
  return BackgroundProgram(argv, env, input).Finish(0, INT_MAX);
}

bool PollUntil(const std::function<bool()>& done, int timeout_ms,
               const std::function<void()>& act) {
  const auto give_up = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
  for (; !done(); act(), usleep(50000))
    if (std::chrono::steady_clock::now() > give_up) return done();
  return true;
}
