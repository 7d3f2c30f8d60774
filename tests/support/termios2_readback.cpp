#include "tests/support/termios2_readback.h"

#include <asm/termbits.h>
#include <sys/ioctl.h>

int64_t ReadBackSpeed(int fd) {
  struct termios2 line;
  if (ioctl(fd, TCGETS2, &line) != 0) return -1;
  return static_cast<int64_t>(line.c_ospeed);
}
