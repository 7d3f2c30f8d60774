#include "tools/sim/sim_port.h"

#include <fcntl.h>
#include <stdlib.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "platform/serial_port.h"

namespace {

constexpr char kPtyFolder[] = "/dev/pts/";

std::string LinkTarget(const std::string& entry) {
  char target[kDevicePathSize];
  const ssize_t length = readlink(entry.c_str(), target, sizeof target - 1);
  if (length < 0) return "";
  return std::string(target, static_cast<size_t>(length));
}

// A link into /dev/pts/ whose pseudo-terminal is gone: a simulator that was killed.
bool IsStaleSimulatorLink(const std::string& entry) {
  const std::string target = LinkTarget(entry);
  struct stat status;
  return target.rfind(kPtyFolder, 0) == 0 && stat(target.c_str(), &status) != 0;
}

bool Publish(int number, SimPort* port) {
  char folder[kDevicePathSize];
  if (!PortsFolder(folder, sizeof folder)) {
    fputs("tavik-sim: no ports folder: set HOME or XDG_CONFIG_HOME\n", stderr);
    return false;
  }
  std::error_code error;
  std::filesystem::create_directories(folder, error);
  port->entry = std::string(folder) + "/COM" + std::to_string(number);
  if (symlink(port->device_path.c_str(), port->entry.c_str()) == 0) return true;
  if (errno == EEXIST && IsStaleSimulatorLink(port->entry) && unlink(port->entry.c_str()) == 0 &&
      symlink(port->device_path.c_str(), port->entry.c_str()) == 0) {
    return true;
  }
  const int reason = errno;
  if (reason == EEXIST) {
    const std::string target = LinkTarget(port->entry);
    fprintf(stderr,
            "tavik-sim: %s already exists%s%s and is not mine; remove it or choose "
            "another --port\n",
            port->entry.c_str(), target.empty() ? "" : " -> ", target.c_str());
  } else {
    fprintf(stderr, "tavik-sim: cannot create %s: %s\n", port->entry.c_str(), strerror(reason));
  }
  port->entry.clear();
  return false;
}

}  // namespace

bool SimPortOpen(const char* name, SimPort* port) {
  const int number = ComNumber(name);
  if (number < 0) {
    fprintf(stderr, "tavik-sim: --port must be COM0: to COM9:, not '%s'\n", name);
    return false;
  }
  port->master = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  char path[128];
  if (port->master < 0 || grantpt(port->master) != 0 || unlockpt(port->master) != 0 ||
      ptsname_r(port->master, path, sizeof path) != 0) {
    fprintf(stderr, "tavik-sim: cannot open a pseudo-terminal: %s\n", strerror(errno));
    SimPortClose(port);
    return false;
  }
  port->device_path = path;
  port->device = open(path, O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  termios line;
  if (port->device < 0 || tcgetattr(port->device, &line) != 0) {
    fprintf(stderr, "tavik-sim: cannot open %s: %s\n", path, strerror(errno));
    SimPortClose(port);
    return false;
  }
  // Like a receiver's line: bytes pass unchanged, nothing is echoed back.
  cfmakeraw(&line);
  cfsetspeed(&line, B9600);
  tcsetattr(port->device, TCSANOW, &line);
  if (!Publish(number, port)) {
    SimPortClose(port);
    return false;
  }
  return true;
}

void SimPortClose(SimPort* port) {
  if (!port->entry.empty() && LinkTarget(port->entry) == port->device_path) {
    unlink(port->entry.c_str());
  }
  port->entry.clear();
  if (port->device >= 0) close(port->device);
  if (port->master >= 0) close(port->master);
  port->device = port->master = -1;
}

bool SimPortHasClient(const SimPort& port) {
  int exclusive = 0;
  if (ioctl(port.device, TIOCGEXCL, &exclusive) != 0 || exclusive == 0) return false;
  // A reader holds its flock as long as it has the port. Exclusive mode without it was
  // left by a reader that was killed: a pseudo-terminal keeps the flag while this side
  // stays open, so it is cleared here, as the last close of a real device clears it.
  if (flock(port.device, LOCK_EX | LOCK_NB) != 0) return true;
  flock(port.device, LOCK_UN);
  ioctl(port.device, TIOCNXCL);
  return false;
}

void SimPortDropUnread(const SimPort& port) {
  tcflush(port.device, TCIFLUSH);
}

void SimPortDiscardCommands(const SimPort& port) {
  char sink[4096];
  while (read(port.master, sink, sizeof sink) > 0) {
  }
}
