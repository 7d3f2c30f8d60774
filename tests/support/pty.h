// A pseudo-terminal standing in for a serial receiver, and a ports folder naming it.
#pragma once

#include <unistd.h>

#include <filesystem>
#include <string>

#include "tests/support/scoped_env.h"
#include "tests/support/temp_dir.h"

class Pty {
 public:
  Pty();  // a fresh pair; ok() says whether it could be made
  ~Pty() { CloseMaster(); }
  Pty(const Pty&) = delete;
  Pty& operator=(const Pty&) = delete;

  bool ok() const { return master_ >= 0; }
  int master() const { return master_; }
  // The device a serial link opens, e.g. /dev/pts/3.
  const std::string& device() const { return device_; }

  // Makes the device side raw, so bytes written before a link opens pass unchanged.
  bool MakeRaw();
  // Writes every byte (blocking until the device side has taken them).
  bool Write(const std::string& bytes);
  // What the device side wrote, collected for up to `timeout_ms` or `want` bytes.
  std::string Read(size_t want, int timeout_ms);
  // Hangs the device side up, as an unplugged receiver does.
  void CloseMaster() {
    if (master_ >= 0) close(master_);
    master_ = -1;
  }

 private:
  int master_ = -1;
  std::string device_;
};

// A temporary XDG_CONFIG_HOME with a tavik ports folder, set for this process while
// the object lives (create it before any thread that reads the environment); programs
// the test starts inherit it. Not copied, as its folder is its own.
class TempPortsFolder {
 public:
  TempPortsFolder() { std::filesystem::create_directories(folder(), error_); }

  const std::string& config_home() const { return dir_.path(); }
  std::string folder() const { return dir_.path() + "/tavik/ports"; }
  // Makes the entry COMn a symbolic link to `device`.
  bool Link(int number, const std::string& device) {
    const std::string entry = folder() + "/COM" + std::to_string(number);
    unlink(entry.c_str());
    return symlink(device.c_str(), entry.c_str()) == 0;
  }

 private:
  TempDir dir_;
  ScopedEnv config_home_{"XDG_CONFIG_HOME", dir_.path()};
  std::error_code error_;
};
