// The serial layer on real pseudo-terminals: opens refused and held, the raw line, and
// when a read returns.
#include "platform/serial_port.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "tests/support/ms_since.h"
#include "tests/support/pty.h"
#include "tests/support/termios2_readback.h"

namespace {

// errno of a refused open; 0 when it opened (the port is closed again).
int OpenError(const std::string& name) {
  errno = 0;
  const SerialPort port = SerialPortOpen(name.c_str());
  SerialPortClose(port);
  return port == kInvalidSerialPort ? errno : 0;
}

TEST(SerialPortOpen, RefusedUnlessAFreeTerminalOrANetworkSource) {
  TempPortsFolder ports;
  Pty held, locked, exclusive;
  ASSERT_TRUE(ports.Link(9, ports.config_home() + "/absent") && ports.Link(2, "/dev/null") &&
              ports.Link(3, held.device()));
  char device[kDevicePathSize];  // without an entry, the built-in device
  ASSERT_EQ(ResolvePortName("COM1:", device, sizeof device), 1);
  EXPECT_STREQ(device, "/dev/ttyUSB0");
  int n = 4;  // entries COM4 to COM7 that name no network source
  for (const char* entry :
       {"tcp://127.0.0.1\n", "tcp://127.0.0.1:65536\n", "http://[::1]:80\n", ""})
    ASSERT_TRUE(WriteWholeFile(ports.folder() + "/COM" + std::to_string(n++), entry));
  const SerialPort first = SerialPortOpen("COM3:");
  ASSERT_NE(first, kInvalidSerialPort);
  // Other programs that hold a terminal: one by flock, one by exclusive mode only.
  const int locker = open(locked.device().c_str(), O_RDWR | O_NOCTTY);
  const int excluder = open(exclusive.device().c_str(), O_RDWR | O_NOCTTY);
  ASSERT_TRUE(flock(locker, LOCK_EX | LOCK_NB) == 0 && ioctl(excluder, TIOCEXCL) == 0);
  const struct {
    std::string name;
    int error;
  } cases[] = {{"COM9:", ENOENT},      {"COM2:", ENOTTY},        {"COM4:", ENOTTY},
               {"COM5:", ENOTTY},      {"COM6:", ENOTTY},        {"COM7:", ENOTTY},
               {"LPT1:", EINVAL},      {"COM10:", EINVAL},       {"com1:", EINVAL},
               {"COM1", EINVAL},       {"dev/ttyS0", EINVAL},    {"COM3:", EBUSY},
               {held.device(), EBUSY}, {locked.device(), EBUSY}, {exclusive.device(), EBUSY}};
  for (const auto& c : cases)
    EXPECT_EQ(OpenError(c.name), c.error) << c.name;
  SerialPortClose(first);
  close(locker);
  ioctl(excluder, TIOCNXCL);
  close(excluder);
  for (const std::string& name : {std::string("COM3:"), locked.device(), exclusive.device()})
    EXPECT_EQ(OpenError(name), 0) << name << " is free again";
}

// A line left cooked, echoing and with flow control by whoever had it before: the
// port makes it raw, keeps the flow control, and reads as its time-outs say.
TEST(SerialPortRead, RawBytesWhenFullOrAfterTheIntervalOrTheTotalBound) {
  Pty pty;
  termios line;
  ASSERT_EQ(tcgetattr(pty.master(), &line), 0);
  line.c_iflag |= IXON | IXOFF | ICRNL | INLCR;
  line.c_cflag |= CRTSCTS;
  line.c_lflag |= ICANON | ECHO | ISIG;
  line.c_oflag |= OPOST | ONLCR;
  ASSERT_EQ(tcsetattr(pty.master(), TCSANOW, &line), 0);
  const SerialPort port = SerialPortOpen(pty.device().c_str());
  EXPECT_EQ(SerialPortSetLine(port, 0, 8, kNoParity, kOneStopBit), 0);
  ASSERT_EQ(SerialPortSetLine(port, 256000, 8, kNoParity, kOneStopBit), 1);  // no B constant
  EXPECT_EQ(ReadBackSpeed(pty.master()), 256000);
  ASSERT_EQ(tcgetattr(pty.master(), &line), 0);
  EXPECT_EQ(line.c_iflag & (IXON | IXOFF), static_cast<tcflag_t>(IXON | IXOFF));
  EXPECT_EQ(line.c_cflag & (CRTSCTS | CREAD | CLOCAL),
            static_cast<tcflag_t>(CRTSCTS | CREAD | CLOCAL));
  const std::string raw("$GP\r\r\n\0\x7f\xff\x03\n", 11), x(1500, 'x');
  const struct {
    std::string sent;  // written before the read
    int32_t t;
    uint32_t max;
    int32_t count;
    int64_t least_ms, most_ms;  // most: well within the total bound M x max + T
  } reads[] = {
      {raw, 50, 1023, 11, 50, 1000},     // 50 ms after the last byte
      {x, 5000, 1023, 1023, 0, 4000},    // full at once
      {"", 50, 1023, 477, 50, 1000},     // the rest, then 50 ms quiet
      {"abc", 150, 1023, 3, 150, 1000},  // 150 ms after the last byte
      {"", 40, 10, 0, 50, 1000},         // nothing: 1 x 10 + 40 ms
  };
  std::string received;
  for (const auto& r : reads) {
    ASSERT_TRUE(pty.Write(r.sent));
    char buffer[1023];
    const auto start = std::chrono::steady_clock::now();
    const int32_t count = SerialPortRead(port, SerialTimeoutsFor(r.t), buffer, r.max);
    const int64_t elapsed = MsSince(start);
    EXPECT_EQ(count, r.count) << r.t;
    EXPECT_TRUE(elapsed >= r.least_ms && elapsed < r.most_ms) << r.t << ": " << elapsed << " ms";
    received.append(buffer, std::max(count, 0));
  }
  // No echo, signal characters, line editing or CR/NL translation on the way.
  EXPECT_EQ(received, raw + x + "abc");
  const std::string command = "$PMTK220,1000*1F\r\n";
  EXPECT_EQ(SerialPortWrite(port, SerialTimeoutsFor(100), command.data(), command.size()),
            static_cast<int32_t>(command.size()));
  EXPECT_EQ(pty.Read(command.size(), 1000), command);
  // A byte every 20 ms never lets the 100 ms interval pass; the 1 x 1023 + 100 ms
  // bound ends the read. A writer starved for over 100 ms ends it sooner by the interval,
  // so the read's end is judged from the times the bytes were really written.
  std::atomic<bool> stop{false};
  std::vector<std::pair<int64_t, int64_t>> writes;  // ms from start: begun, done
  const auto start = std::chrono::steady_clock::now();
  std::thread trickle([&] {
    for (int i = 0; i < 100 && !stop;
         ++i, std::this_thread::sleep_for(std::chrono::milliseconds(20))) {
      const int64_t begun = MsSince(start);
      pty.Write("x");
      writes.emplace_back(begun, MsSince(start));
    }
  });
  char buffer[1023];
  const int32_t got = SerialPortRead(port, SerialTimeoutsFor(100), buffer, sizeof buffer);
  const int64_t elapsed = MsSince(start);
  stop = true;
  trickle.join();
  // The end is the total bound, or 100 ms after a byte the next came too late for: at the
  // earliest if the next was done 100 ms after this began, surely if it began 100 ms late.
  int64_t earliest = 1123, latest = 1123;
  for (size_t i = 0; i < writes.size(); ++i) {
    const bool last = i + 1 == writes.size();
    if (last || writes[i + 1].second >= writes[i].first + 100)
      earliest = std::min(earliest, writes[i].first + 100);
    if (last || writes[i + 1].first > writes[i].second + 100)
      latest = std::min(latest, writes[i].second + 100);
  }
  EXPECT_TRUE(elapsed >= earliest && elapsed < latest + 1000)
      << elapsed << " ms, from " << earliest << " to " << latest << " ms";
  EXPECT_TRUE(got > 0 && got < 100) << got;
  // A hang-up fails the read at once.
  pty.CloseMaster();
  EXPECT_EQ(SerialPortRead(port, SerialTimeoutsFor(5000), buffer, sizeof buffer), -1);
  SerialPortClose(port);
}

}  // namespace
