#include "tests/app/desktop_session.h"

#include <cstdlib>
#include <thread>

bool WaitFor(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
  const auto end = std::chrono::steady_clock::now() + timeout;
  while (!done()) {
    if (std::chrono::steady_clock::now() >= end) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return true;
}

size_t CountOf(const std::string& text, const std::string& what) {
  size_t count = 0;
  for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
    ++count;
  return count;
}

ProgramResult Xdotool(const std::vector<std::string>& args) {
  std::vector<std::string> argv{"/usr/bin/timeout", "20", "/usr/bin/xdotool"};
  argv.insert(argv.end(), args.begin(), args.end());
  return RunProgram(argv);
}

std::string FindWindow(const std::string& title) {
  const std::string out = Xdotool({"search", "--sync", "--onlyvisible", "--name", title}).out;
  return out.substr(0, out.find('\n'));
}

void ChooseByKeys(const std::string& window, const std::string& mnemonic) {
  Xdotool({"mousemove", "--window", window, "3", "3", "click", "1"});
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  Xdotool({"key", mnemonic});
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
}

long IdleMs() {
  const ProgramResult result = RunProgram({"/usr/bin/xprintidle"});
  return result.exit_status == 0 ? std::atol(result.out.c_str()) : -1;
}

static void SetOrUnset(const std::string& name, const std::optional<std::string>& value) {
  if (value) {
    setenv(name.c_str(), value->c_str(), 1);
  } else {
    unsetenv(name.c_str());
  }
}

ScopedEnvironment::ScopedEnvironment(
    const std::map<std::string, std::optional<std::string>>& values) {
  for (const auto& [name, value] : values) {
    const char* old = std::getenv(name.c_str());
    saved_[name] = old != nullptr ? std::optional<std::string>(old) : std::nullopt;
    SetOrUnset(name, value);
  }
}

ScopedEnvironment::~ScopedEnvironment() {
  for (const auto& [name, value] : saved_)
    SetOrUnset(name, value);
}
