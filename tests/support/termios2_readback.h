// The speed a terminal is set to, read back through termios2 (which knows speeds
// without a B constant, such as 128000 and 256000).
#pragma once

#include <cstdint>

// Output speed in bits per second of the terminal behind fd (a pty master reports its
// device side); -1 when it cannot be read.
int64_t ReadBackSpeed(int fd);
