#include "tests/support/pty.h"

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <termios.h>

#include <cerrno>

Pty::Pty() : master_(posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC)) {
  char name[128];
  if (master_ >= 0 && grantpt(master_) == 0 && unlockpt(master_) == 0 &&
      ptsname_r(master_, name, sizeof name) == 0)
    device_ = name;
  else
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
  pollfd wait{master_, POLLIN, 0};
  for (ssize_t count; got.size() < want && poll(&wait, 1, timeout_ms) > 0 &&
                      (count = read(master_, buffer, sizeof buffer)) > 0;)
    got.append(buffer, count);
  return got;
}
