#include "tests/support/background_program.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include "tests/support/shared_data.h"

extern char** environ;

BackgroundProgram::BackgroundProgram(const std::vector<std::string>& argv,
                                     const std::vector<std::string>& env) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, dir_.File("out").c_str(),
                                   O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_addopen(&actions, 2, dir_.File("err").c_str(),
                                   O_WRONLY | O_CREAT | O_TRUNC, 0644);
  std::vector<char*> args;
  for (const std::string& arg : argv)
    args.push_back(const_cast<char*>(arg.c_str()));
  args.push_back(nullptr);
  std::vector<std::string> env_strings;
  for (char** e = environ; *e != nullptr; ++e)
    env_strings.emplace_back(*e);
  env_strings.insert(env_strings.end(), env.begin(), env.end());
  std::vector<char*> envp;
  for (std::string& e : env_strings)
    envp.push_back(e.data());
  envp.push_back(nullptr);
  if (posix_spawn(&pid_, args[0], &actions, nullptr, args.data(), envp.data()) != 0) pid_ = -1;
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
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
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
