// Line settings through termios2, the only interface that takes speeds without a
// B constant (128000, 256000). It cannot share a file with <termios.h>.
#include <asm/termbits.h>
#include <sys/ioctl.h>

#include <cstdint>

#include "platform/serial_port.h"

namespace {

struct SpeedCode {
  int32_t bits_per_second;
  tcflag_t code;
};

constexpr SpeedCode kSpeedCodes[] = {
    {110, B110},       {300, B300},       {600, B600},       {1200, B1200},     {2400, B2400},
    {4800, B4800},     {9600, B9600},     {19200, B19200},   {38400, B38400},   {57600, B57600},
    {115200, B115200}, {230400, B230400}, {460800, B460800}, {921600, B921600},
};

// The B constant of a speed, or BOTHER with the speed itself in c_ospeed.
tcflag_t SpeedCodeOf(int32_t bits_per_second) {
  for (const SpeedCode& speed : kSpeedCodes) {
    if (speed.bits_per_second == bits_per_second) return speed.code;
  }
  return BOTHER;
}

bool SizeCodeOf(int32_t data_bits, tcflag_t* code) {
  switch (data_bits) {
    case 5:
      *code = CS5;
      return true;
    case 6:
      *code = CS6;
      return true;
    case 7:
      *code = CS7;
      return true;
    case 8:
      *code = CS8;
      return true;
    default:
      return false;
  }
}

bool ParityFlagsOf(int32_t parity, tcflag_t* flags) {
  switch (parity) {
    case kNoParity:
      *flags = 0;
      return true;
    case kOddParity:
      *flags = PARENB | PARODD;
      return true;
    case kEvenParity:
      *flags = PARENB;
      return true;
    default:
      return false;  // mark and space are not offered
  }
}

bool StopFlagsOf(int32_t stop_bits, tcflag_t* flags) {
  switch (stop_bits) {
    case kOneStopBit:
      *flags = 0;
      return true;
    case kTwoStopBits:
      *flags = CSTOPB;
      return true;
    default:
      return false;  // one and a half stop bits cannot be set
  }
}

void MakeRaw(struct termios2* line) {
  // Flow control (IXON, IXOFF, IXANY, CRTSCTS) and parity checking stay as they were.
  line->c_iflag &= ~(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL | IUCLC | IMAXBEL);
  line->c_oflag &= ~OPOST;
  line->c_lflag &= ~(ECHO | ECHOE | ECHOK | ECHONL | ECHOCTL | ECHOKE | ICANON | ISIG | IEXTEN);
  line->c_cflag |= CREAD | CLOCAL;
  // Reads never block in the driver: they are timed by poll.
  line->c_cc[VMIN] = 0;
  line->c_cc[VTIME] = 0;
}

}  // namespace

int SerialCharacterFlags(int32_t data_bits, int32_t parity, int32_t stop_bits, uint32_t* flags) {
  tcflag_t size = 0, parity_flags = 0, stop_flags = 0;
  if (flags == nullptr || !SizeCodeOf(data_bits, &size) || !ParityFlagsOf(parity, &parity_flags) ||
      !StopFlagsOf(stop_bits, &stop_flags)) {
    return 0;
  }
  *flags = size | parity_flags | stop_flags;
  return 1;
}

int SerialPortSetLine(SerialPort port, int32_t baud_rate, int32_t data_bits, int32_t parity,
                      int32_t stop_bits) {
  uint32_t character = 0;
  if (port < 0 || baud_rate <= 0 ||
      !SerialCharacterFlags(data_bits, parity, stop_bits, &character)) {
    return 0;
  }
  struct termios2 line;
  if (ioctl(port, TCGETS2, &line) != 0) return 0;

  // An input speed of 0 in CIBAUD means "the same as the output speed".
  line.c_cflag &= ~(CBAUD | CIBAUD | CSIZE | PARENB | PARODD | CMSPAR | CSTOPB);
  line.c_cflag |= SpeedCodeOf(baud_rate) | character;
  line.c_ispeed = static_cast<speed_t>(baud_rate);
  line.c_ospeed = static_cast<speed_t>(baud_rate);
  MakeRaw(&line);
  return ioctl(port, TCSETS2, &line) == 0 ? 1 : 0;
}
