#include "tests/support/background_program.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <climits>
#include <thread>

#include "tests/support/shared_data.h"

extern char** environ;

BackgroundProgram::BackgroundProgram(const std::vector<std::string>& argv,
                                     const std::vector<std::string>& env,
                                     const std::string& input) {
  if (!WriteWholeFile(dir_.File("in"), input)) return;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, dir_.File("in").c_str(), O_RDONLY, 0);
  for (int fd : {1, 2}) {
    posix_spawn_file_actions_addopen(&actions, fd, dir_.File(fd == 1 ? "out" : "err").c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0644);
  }
  std::vector<std::string> strings(argv);
  for (char** e = environ; *e != nullptr; ++e)
    strings.emplace_back(*e);
  strings.insert(strings.end(), env.begin(), env.end());
  // argv[0] .. argv[n-1], null, then the environment, null.
  std::vector<char*> pointers;
  for (size_t i = 0; i < strings.size(); ++i) {
    if (i == argv.size()) pointers.push_back(nullptr);
    pointers.push_back(strings[i].data());
  }
  pointers.push_back(nullptr);
  char** envp = pointers.data() + argv.size() + 1;
  if (posix_spawn(&pid_, pointers[0], &actions, nullptr, pointers.data(), envp) != 0) pid_ = -1;
  posix_spawn_file_actions_destroy(&actions);
}

BackgroundProgram::~BackgroundProgram() {
  if (pid_ > 0) Finish(SIGKILL, 5000);
}

std::string BackgroundProgram::OutputSoFar() const {
  std::string out;
  ReadWholeFile(dir_.File("out"), &out);
  return out;
}

std::string BackgroundProgram::ErrorsSoFar() const {
  std::string err;
  ReadWholeFile(dir_.File("err"), &err);
  return err;
}

ProgramResult BackgroundProgram::Finish(int signal, int timeout_ms) {
  ProgramResult result;
  if (pid_ <= 0) return result;
  if (signal != 0) kill(pid_, signal);
  int status = 0;
  const auto give_up = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
  pid_t ended = 0;
  while ((ended = waitpid(pid_, &status, WNOHANG)) == 0 &&
         std::chrono::steady_clock::now() < give_up) {
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  if (ended == 0) {
    kill(pid_, SIGKILL);
    waitpid(pid_, &status, 0);
    result.signal = SIGKILL;
  } else {
    if (WIFEXITED(status)) result.exit_status = WEXITSTATUS(status);
    if (WIFSIGNALED(status)) result.signal = WTERMSIG(status);
  }
  pid_ = -1;
  ReadWholeFile(dir_.File("out"), &result.out);
  ReadWholeFile(dir_.File("err"), &result.err);
  return result;
}

std::string BinPath(const std::string& program) {
  return std::string(TAVIK_BIN_DIR) + "/" + program;
}

ProgramResult RunProgram(const std::vector<std::string>& argv, const std::string& input,
                         const std::vector<std::string>& env) {
  BackgroundProgram program(argv, env, input);
  if (!program.started()) return ProgramResult{-1, 0, "", "cannot start " + argv.at(0)};
  return program.Finish(0, INT_MAX);  // as long as it takes: ctest's time-out ends a hang
}
