// Driving a desktop session from outside, as a person at it would: programs, X
// windows found by title, the X server's idle time. No Qt: the end-to-end runs use it too.
#pragma once

#include <chrono>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "tests/support/run_program.h"

// Polls `done` every 50 ms until it holds or `timeout` passes; returns `done()`.
bool WaitFor(const std::function<bool()>& done, std::chrono::milliseconds timeout);

size_t CountOf(const std::string& text, const std::string& what);

// xdotool on $DISPLAY, given up after 20 s.
ProgramResult Xdotool(const std::vector<std::string>& args);
// The first visible X window whose title matches `title` (a regular expression).
std::string FindWindow(const std::string& title);
// A press on the window's background, then the menu item by its underlined letter.
void ChooseByKeys(const std::string& window, const std::string& mnemonic);

// Milliseconds since the last input on $DISPLAY; -1 without xprintidle.
long IdleMs();

// Sets (or, with nullopt, removes) environment variables while it lives.
class ScopedEnvironment {
 public:
  explicit ScopedEnvironment(const std::map<std::string, std::optional<std::string>>& values);
  ~ScopedEnvironment();

 private:
  std::map<std::string, std::optional<std::string>> saved_;
};
