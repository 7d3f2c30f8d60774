#include "platform/serial_port.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace {

// Closes a port that failed to open, keeping the errno that says why.
SerialPort Refuse(int fd, int error) {
  close(fd);
  errno = error;
  return kInvalidSerialPort;
}

}  // namespace

SerialPort SerialPortOpen(const char* name, SerialWaker waker, int32_t network_limit_ms) {
  char device[kDevicePathSize];
  if (!ResolvePortName(name, device, sizeof device)) {
    errno = EINVAL;
    return kInvalidSerialPort;
  }
  return SerialDeviceOpen(device, waker, network_limit_ms);
}

SerialPort SerialDeviceOpen(const char* device, SerialWaker waker, int32_t network_limit_ms) {
  if (IsNetworkEntry(device)) return NetworkPortOpen(device, waker, network_limit_ms);
  // Non-blocking, so the open never waits for carrier on a modem line.
  const int fd = open(device, O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return kInvalidSerialPort;

  struct stat status;
  if (fstat(fd, &status) != 0 || !S_ISCHR(status.st_mode) || !isatty(fd)) {
    return Refuse(fd, ENOTTY);
  }
  // Exclusive mode already set means another program holds the line; root would get
  // through it, so it is checked rather than relied upon.
  int exclusive = 0;
  if (ioctl(fd, TIOCGEXCL, &exclusive) == 0 && exclusive != 0) return Refuse(fd, EBUSY);
  // flock holds against every opener, root included.
  if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
    return Refuse(fd, errno == EWOULDBLOCK ? EBUSY : errno);
  }
  if (ioctl(fd, TIOCEXCL) != 0) return Refuse(fd, errno);
  const int flags = fcntl(fd, F_GETFL);
  if (flags < 0 || fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) {
    const int error = errno;
    ioctl(fd, TIOCNXCL);
    return Refuse(fd, error);
  }
  return fd;
}

void SerialPortClose(SerialPort port) {
  if (port < 0) return;
  // A pseudo-terminal keeps its exclusive mode after the last close while the other
  // side stays open; clear it so the next opener is not refused.
  ioctl(port, TIOCNXCL);
  close(port);
}
