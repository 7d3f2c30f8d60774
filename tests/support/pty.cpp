#include "tests/support/pty.h"

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>

Pty::Pty() {
  master_ = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (master_ < 0) return;
  char name[128];
  if (grantpt(master_) != 0 || unlockpt(master_) != 0 ||
      ptsname_r(master_, name, sizeof name) != 0) {
    CloseMaster();
    return;
  }
  device_ = name;
}

Pty::~Pty() {
  CloseMaster();
}

bool Pty::MakeRaw() {
  termios line;
  // On the master side these reach the settings of the device side.
  if (tcgetattr(master_, &line) != 0) return false;
  cfmakeraw(&line);
  return tcsetattr(master_, TCSANOW, &line) == 0;
}

bool Pty::Write(const std::string& bytes) {
  size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t put = write(master_, bytes.data() + done, bytes.size() - done);
    if (put < 0 && errno == EINTR) continue;
    if (put <= 0) return false;
    done += static_cast<size_t>(put);
  }
  return true;
}

std::string Pty::Read(size_t want, int timeout_ms) {
  std::string got;
  while (got.size() < want) {
    pollfd wait{master_, POLLIN, 0};
    if (poll(&wait, 1, timeout_ms) <= 0) break;
    char buffer[4096];
    const ssize_t count = read(master_, buffer, sizeof buffer);
    if (count <= 0) break;
    got.append(buffer, static_cast<size_t>(count));
  }
  return got;
}

void Pty::CloseMaster() {
  if (master_ >= 0) close(master_);
  master_ = -1;
}

TempPortsFolder::TempPortsFolder() {
  std::error_code error;
  std::filesystem::create_directories(folder(), error);
}

bool TempPortsFolder::Link(int number, const std::string& device) {
  const std::string entry = folder() + "/COM" + std::to_string(number);
  unlink(entry.c_str());
  return symlink(device.c_str(), entry.c_str()) == 0;
}
