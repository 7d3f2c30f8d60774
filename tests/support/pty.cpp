#include "tests/support/pty.h"

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <termios.h>

#include <cerrno>

Pty::Pty() : master_(posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC)) {
  char name[128];
  if (master_ < 0 || grantpt(master_) != 0 || unlockpt(master_) != 0 ||
      ptsname_r(master_, name, sizeof name) != 0) {
    CloseMaster();
  } else {
    device_ = name;
  }
}

bool Pty::MakeRaw() {
  termios line;
  // On the master side these reach the settings of the device side.
  if (tcgetattr(master_, &line) != 0) return false;
  cfmakeraw(&line);
  return tcsetattr(master_, TCSANOW, &line) == 0;
}

bool Pty::Write(const std::string& bytes) {
  for (size_t done = 0; done < bytes.size();) {
    const ssize_t put = write(master_, bytes.data() + done, bytes.size() - done);
    if (put <= 0 && !(put < 0 && errno == EINTR)) return false;
    done += put > 0 ? static_cast<size_t>(put) : 0;
  }
  return true;
}

std::string Pty::Read(size_t want, int timeout_ms) {
  std::string got;
  char buffer[4096];
  for (pollfd wait{master_, POLLIN, 0}; got.size() < want && poll(&wait, 1, timeout_ms) > 0;) {
    const ssize_t count = read(master_, buffer, sizeof buffer);
    if (count <= 0) break;
    got.append(buffer, static_cast<size_t>(count));
  }
  return got;
}
