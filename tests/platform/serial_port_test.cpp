// The Linux serial layer on real pseudo-terminals: names, exclusive open, line
// settings and the read-return rules.
#include "platform/serial_port.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <string>
#include <thread>

#include "gps/setting_tables.h"
#include "tests/support/pty.h"
#include "tests/support/termios2_readback.h"

namespace {

using Clock = std::chrono::steady_clock;

int64_t MsSince(Clock::time_point start) {
  return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
}

std::string Resolve(const char* name) {
  char device[kDevicePathSize];
  return ResolvePortName(name, device, sizeof device) ? device : "<none>";
}

TEST(PortNames, BuiltInDevicesWithoutEntries) {
  TempPortsFolder ports;
  const char* expected[] = {"/dev/ttyS0",   "/dev/ttyUSB0", "/dev/ttyACM0", "/dev/ttyUSB1",
                            "/dev/ttyACM1", "/dev/rfcomm0", "/dev/serial0", "/dev/ttyAMA0",
                            "/dev/ttyS1",   "/dev/gps0"};
  for (int i = 0; i < kPortNameCount; ++i)
    EXPECT_EQ(Resolve(PortNameList[i]), expected[i]) << PortNameList[i];
}

TEST(PortNames, AnEntryInThePortsFolderWinsEvenWhenItDangles) {
  TempPortsFolder ports;
  ASSERT_TRUE(ports.Link(1, "/dev/pts/77"));
  ASSERT_TRUE(ports.Link(9, "/nowhere/at/all"));
  EXPECT_EQ(Resolve("COM1:"), ports.folder() + "/COM1");
  EXPECT_EQ(Resolve("COM9:"), ports.folder() + "/COM9");
  EXPECT_EQ(Resolve("COM2:"), "/dev/ttyACM0");
}

TEST(PortNames, PathsAsTheyStandAndNothingElse) {
  TempPortsFolder ports;
  EXPECT_EQ(Resolve("/dev/ttyUSB7"), "/dev/ttyUSB7");
  for (const char* name : {"COM1", "COM10:", "com1:", "COM1: ", "", "LPT1:", "dev/ttyS0", "COMx:"})
    EXPECT_EQ(Resolve(name), "<none>") << '"' << name << '"';
  char tiny[4];
  EXPECT_EQ(ResolvePortName("/dev/ttyS0", tiny, sizeof tiny), 0) << "does not fit";
}

TEST(PortNames, ARelativeConfigHomeFallsBackToHome) {
  TempPortsFolder ports;
  const std::string home = getenv("HOME") ? getenv("HOME") : "";
  setenv("XDG_CONFIG_HOME", "relative/config", 1);
  char folder[kDevicePathSize];
  ASSERT_EQ(PortsFolder(folder, sizeof folder), 1);
  EXPECT_EQ(std::string(folder), home + "/.config/tavik/ports");
}

TEST(SerialPortOpen, RefusesWhatIsNotAFreeTerminal) {
  TempPortsFolder ports;
  TempDir dir;
  ASSERT_TRUE(WriteWholeFile(dir.File("plain"), "not a terminal"));
  ASSERT_TRUE(ports.Link(1, dir.File("absent")));
  ASSERT_TRUE(ports.Link(2, dir.File("plain")));
  struct Case {
    const char* name;
    int error;
  } cases[] = {{"COM1:", ENOENT}, {"COM2:", ENOTTY}, {"LPT1:", EINVAL}};
  for (const Case& c : cases) {
    errno = 0;
    EXPECT_EQ(SerialPortOpen(c.name), kInvalidSerialPort) << c.name;
    EXPECT_EQ(errno, c.error) << c.name;
  }
  const std::string plain = dir.File("plain");
  EXPECT_EQ(SerialPortOpen(plain.c_str()), kInvalidSerialPort);
}

TEST(SerialPortOpen, HeldExclusivelyUntilClosed) {
  TempPortsFolder ports;
  Pty pty;
  ASSERT_TRUE(pty.ok());
  ASSERT_TRUE(ports.Link(4, pty.device()));
  const SerialPort first = SerialPortOpen("COM4:");
  ASSERT_NE(first, kInvalidSerialPort);
  EXPECT_EQ(fcntl(first, F_GETFL) & O_NONBLOCK, 0) << "reads block, timed by poll";
  errno = 0;
  EXPECT_EQ(SerialPortOpen("COM4:"), kInvalidSerialPort);
  EXPECT_EQ(errno, EBUSY);
  EXPECT_EQ(SerialPortOpen(pty.device().c_str()), kInvalidSerialPort) << "same device, other name";
  SerialPortClose(first);
  const SerialPort again = SerialPortOpen("COM4:");
  EXPECT_NE(again, kInvalidSerialPort) << "closing gives the port back";
  SerialPortClose(again);
}

TEST(SerialPortOpen, OtherProgramsHoldingThePortAreRespected) {
  Pty pty;
  ASSERT_TRUE(pty.ok());
  // One that takes an flock, one that only sets exclusive mode.
  const int locker = open(pty.device().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
  ASSERT_GE(locker, 0);
  ASSERT_EQ(flock(locker, LOCK_EX | LOCK_NB), 0);
  EXPECT_EQ(SerialPortOpen(pty.device().c_str()), kInvalidSerialPort);
  close(locker);

  const int exclusive = open(pty.device().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
  ASSERT_GE(exclusive, 0);
  ASSERT_EQ(ioctl(exclusive, TIOCEXCL), 0);
  EXPECT_EQ(SerialPortOpen(pty.device().c_str()), kInvalidSerialPort);
  ioctl(exclusive, TIOCNXCL);
  close(exclusive);
  const SerialPort port = SerialPortOpen(pty.device().c_str());
  EXPECT_NE(port, kInvalidSerialPort);
  SerialPortClose(port);
}

TEST(SerialPortSetLine, EveryTableValueIsReadBack) {
  Pty pty;
  ASSERT_TRUE(pty.ok());
  const SerialPort port = SerialPortOpen(pty.device().c_str());
  ASSERT_NE(port, kInvalidSerialPort);
  for (const SettingEntry& baud : BaudRateTable) {
    ASSERT_EQ(SerialPortSetLine(port, baud.value, 8, kNoParity, kOneStopBit), 1) << baud.text;
    EXPECT_EQ(ReadBackSpeed(pty.master()), baud.value) << baud.text;
  }
  termios line;
  ASSERT_EQ(SerialPortSetLine(port, 9600, 8, kNoParity, kOneStopBit), 1);
  ASSERT_EQ(tcgetattr(pty.master(), &line), 0);
  EXPECT_EQ(cfgetospeed(&line), B9600);
  EXPECT_EQ(line.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
  EXPECT_EQ(line.c_cflag & (PARENB | CSTOPB), 0u);

  ASSERT_EQ(SerialPortSetLine(port, 4800, 8, kNoParity, kTwoStopBits), 1);
  ASSERT_EQ(tcgetattr(pty.master(), &line), 0);
  EXPECT_EQ(line.c_cflag & CSTOPB, static_cast<tcflag_t>(CSTOPB));
  SerialPortClose(port);
}

// Recent kernels make every pseudo-terminal 8 bits without parity, whatever is asked.
bool PtyKeepsCharacterFormat(int master) {
  termios line;
  if (tcgetattr(master, &line) != 0) return false;
  line.c_cflag = (line.c_cflag & ~CSIZE) | CS7 | PARENB;
  if (tcsetattr(master, TCSANOW, &line) != 0 || tcgetattr(master, &line) != 0) return false;
  return (line.c_cflag & (CSIZE | PARENB)) == static_cast<tcflag_t>(CS7 | PARENB);
}

TEST(SerialPortSetLine, DataBitsAndParityReadBack) {
  Pty pty;
  ASSERT_TRUE(pty.ok());
  if (!PtyKeepsCharacterFormat(pty.master())) {
    GTEST_SKIP() << "this kernel's pseudo-terminals report 8 bits, no parity, always";
  }
  const SerialPort port = SerialPortOpen(pty.device().c_str());
  ASSERT_NE(port, kInvalidSerialPort);
  termios line;
  const struct {
    int32_t bits;
    tcflag_t size;
  } sizes[] = {{5, CS5}, {6, CS6}, {7, CS7}, {8, CS8}};
  for (const auto& s : sizes) {
    ASSERT_EQ(SerialPortSetLine(port, 4800, s.bits, kEvenParity, kTwoStopBits), 1);
    ASSERT_EQ(tcgetattr(pty.master(), &line), 0);
    EXPECT_EQ(line.c_cflag & CSIZE, s.size) << s.bits;
    EXPECT_EQ(line.c_cflag & (PARENB | PARODD | CSTOPB), static_cast<tcflag_t>(PARENB | CSTOPB));
  }
  ASSERT_EQ(SerialPortSetLine(port, 256000, 7, kOddParity, kOneStopBit), 1);
  ASSERT_EQ(tcgetattr(pty.master(), &line), 0);
  EXPECT_EQ(line.c_cflag & (PARENB | PARODD | CSTOPB), static_cast<tcflag_t>(PARENB | PARODD));
  SerialPortClose(port);
}

TEST(SerialPortSetLine, RawLineWithFlowControlKept) {
  Pty pty;
  ASSERT_TRUE(pty.ok());
  termios line;
  ASSERT_EQ(tcgetattr(pty.master(), &line), 0);
  line.c_iflag |= IXON | IXOFF | ICRNL | INLCR;
  line.c_cflag |= CRTSCTS;
  line.c_lflag |= ICANON | ECHO | ISIG;
  line.c_oflag |= OPOST | ONLCR;
  ASSERT_EQ(tcsetattr(pty.master(), TCSANOW, &line), 0);

  const SerialPort port = SerialPortOpen(pty.device().c_str());
  ASSERT_NE(port, kInvalidSerialPort);
  ASSERT_EQ(SerialPortSetLine(port, 9600, 8, kNoParity, kOneStopBit), 1);
  ASSERT_EQ(tcgetattr(pty.master(), &line), 0);
  EXPECT_EQ(line.c_iflag & (IXON | IXOFF), static_cast<tcflag_t>(IXON | IXOFF));
  EXPECT_EQ(line.c_cflag & CRTSCTS, static_cast<tcflag_t>(CRTSCTS));
  EXPECT_EQ(line.c_iflag & (ICRNL | INLCR | IGNCR | ISTRIP), 0u);
  EXPECT_EQ(line.c_lflag & (ICANON | ECHO | ISIG | IEXTEN), 0u);
  EXPECT_EQ(line.c_oflag & OPOST, 0u);
  EXPECT_EQ(line.c_cflag & (CREAD | CLOCAL), static_cast<tcflag_t>(CREAD | CLOCAL));

  // Bytes cross unchanged, CR and NUL included.
  const std::string bytes("$GP\r\r\n\0\x7f\xff\x03\n", 11);
  ASSERT_TRUE(pty.Write(bytes));
  char got[64];
  EXPECT_EQ(SerialPortRead(port, SerialTimeoutsFor(50), got, sizeof got), 11);
  EXPECT_EQ(std::string(got, 11), bytes);
  SerialPortClose(port);
}

TEST(SerialPortSetLine, ValuesTheLineCannotTakeAreRefused) {
  Pty pty;
  ASSERT_TRUE(pty.ok());
  const SerialPort port = SerialPortOpen(pty.device().c_str());
  ASSERT_NE(port, kInvalidSerialPort);
  EXPECT_EQ(SerialPortSetLine(port, 9600, 9, kNoParity, kOneStopBit), 0);
  EXPECT_EQ(SerialPortSetLine(port, 9600, 4, kNoParity, kOneStopBit), 0);
  EXPECT_EQ(SerialPortSetLine(port, 9600, 8, 3, kOneStopBit), 0) << "mark parity";
  EXPECT_EQ(SerialPortSetLine(port, 9600, 8, kNoParity, 1), 0) << "one and a half stop bits";
  EXPECT_EQ(SerialPortSetLine(port, 0, 8, kNoParity, kOneStopBit), 0);
  EXPECT_EQ(SerialPortSetLine(kInvalidSerialPort, 9600, 8, kNoParity, kOneStopBit), 0);
  SerialPortClose(port);
}

TEST(SerialTimeouts, DerivedFromTheLinkTimeout) {
  struct Case {
    int32_t t;
    uint32_t constant, multiplier;
  } cases[] = {{0, 1, 1},       {-5, 1, 1},      {1, 1, 1},       {1022, 1022, 1},
               {1023, 1023, 1}, {2000, 2000, 1}, {2046, 2046, 2}, {5000, 5000, 4}};
  for (const Case& c : cases) {
    const SerialTimeouts t = SerialTimeoutsFor(c.t);
    EXPECT_EQ(t.read_interval_ms, c.constant) << c.t;
    EXPECT_EQ(t.read_total_multiplier_ms, c.multiplier) << c.t;
    EXPECT_EQ(t.read_total_constant_ms, c.constant) << c.t;
    EXPECT_EQ(t.write_total_multiplier_ms, c.multiplier) << c.t;
    EXPECT_EQ(t.write_total_constant_ms, c.constant) << c.t;
  }
  EXPECT_EQ(SerialReadBoundMs(SerialTimeoutsFor(2000), 1023), 3023u);
  EXPECT_EQ(SerialReadBoundMs(SerialTimeoutsFor(INT32_MAX), 1023), 2099202ull * 1023 + INT32_MAX);
}

class SerialRead : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(pty.ok());
    port = SerialPortOpen(pty.device().c_str());
    ASSERT_NE(port, kInvalidSerialPort);
    ASSERT_EQ(SerialPortSetLine(port, 9600, 8, kNoParity, kOneStopBit), 1);
  }
  void TearDown() override { SerialPortClose(port); }

  Pty pty;
  SerialPort port = kInvalidSerialPort;
  char buffer[1023];
};

TEST_F(SerialRead, ReturnsAsSoonAsTheBufferIsFull) {
  ASSERT_TRUE(pty.Write(std::string(1500, 'x')));
  // With T = 5000 anything but a full buffer would keep the read waiting for seconds.
  EXPECT_EQ(SerialPortRead(port, SerialTimeoutsFor(5000), buffer, 1023), 1023);
  EXPECT_EQ(SerialPortRead(port, SerialTimeoutsFor(50), buffer, 1023), 477);
}

TEST_F(SerialRead, ReturnsWhenTheIntervalPassesAfterTheLastByte) {
  const auto start = Clock::now();
  ASSERT_TRUE(pty.Write("abc"));
  EXPECT_EQ(SerialPortRead(port, SerialTimeoutsFor(150), buffer, 1023), 3);
  EXPECT_GE(MsSince(start), 150);
}

TEST_F(SerialRead, ReturnsNothingAfterTheTotalBound) {
  const auto start = Clock::now();
  EXPECT_EQ(SerialPortRead(port, SerialTimeoutsFor(40), buffer, 10), 0);
  EXPECT_GE(MsSince(start), 50) << "1 x 10 + 40 ms";
}

TEST_F(SerialRead, AStreamThatNeverPausesEndsAtTheTotalBound) {
  // A byte every 20 ms for 5 s: the 1000 ms interval never passes (a loaded machine
  // may delay a byte, but not by a second), the 1 x 1023 + 1000 ms bound does.
  std::atomic<bool> stop{false};
  std::thread trickle([&] {
    for (int i = 0; i < 250 && !stop; ++i) {
      pty.Write("x");
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
  });
  const auto start = Clock::now();
  const int32_t got = SerialPortRead(port, SerialTimeoutsFor(1000), buffer, 1023);
  const int64_t elapsed = MsSince(start);
  stop = true;
  trickle.join();
  EXPECT_GE(elapsed, 2023);
  EXPECT_GT(got, 0);
  EXPECT_LT(got, 250) << "the read waited for the whole stream";
}

TEST_F(SerialRead, AHangUpFailsTheReadAtOnce) {
  pty.CloseMaster();
  const auto start = Clock::now();
  EXPECT_EQ(SerialPortRead(port, SerialTimeoutsFor(5000), buffer, 1023), -1);
  EXPECT_LT(MsSince(start), 5000) << "not held for the time-out";
}

TEST_F(SerialRead, WritesReachTheOtherSide) {
  const std::string text = "$PMTK220,1000*1F\r\n";
  EXPECT_EQ(SerialPortWrite(port, SerialTimeoutsFor(100), text.data(), text.size()),
            static_cast<int32_t>(text.size()));
  EXPECT_EQ(pty.Read(text.size(), 1000), text);
  EXPECT_EQ(SerialPortWrite(kInvalidSerialPort, SerialTimeoutsFor(100), "x", 1), -1);
}

}  // namespace
