// The serial link's reader thread on real pseudo-terminals: what only a terminal
// shows (reads split by pauses, a close during a read, a hang-up and a replug).
#include "gps/serial_link.h"

#include <gtest/gtest.h>
#include <termios.h>

#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "gps/gps_port.h"
#include "gps/line_cutter.h"
#include "tests/support/background_program.h"
#include "tests/support/pty.h"
#include "tests/support/termios2_readback.h"

namespace {

using Lines = std::vector<std::string>;

// Lines (or fixes, as text) gathered for the test thread.
struct Collector {
  std::mutex mutex;
  std::condition_variable arrived;
  Lines lines;
  const SerialLink* hold_until_closed = nullptr;  // the first line waits for a close

  void Add(std::string line) {
    std::lock_guard<std::mutex> lock(mutex);
    lines.push_back(std::move(line));
    arrived.notify_all();
  }
  static void Line(const char* line, uint32_t length, void* context) {
    auto* self = static_cast<Collector*>(context);
    self->Add(std::string(line, length));
    while (self->hold_until_closed != nullptr && self->hold_until_closed->running.load() != 0)
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  static void Fix(double time, double, double, double, double, double easting, void* context) {
    char text[96];
    snprintf(text, sizeof text, "%.2f %.3f", time, easting);
    static_cast<Collector*>(context)->Add(text);
  }
  // The lines once `count` have come (or what came within 10 s).
  Lines WaitFor(size_t count) {
    std::unique_lock<std::mutex> lock(mutex);
    arrived.wait_for(lock, std::chrono::seconds(10), [&] { return lines.size() >= count; });
    return lines;
  }
};

class SerialLinkTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(pty.ok() && pty.MakeRaw());
    SerialLinkReset(&link);
  }
  void TearDown() override { SerialLinkClose(&link); }
  // Opens the link on `name` (the pty's device by default) with the rows of the four
  // setting texts.
  bool Open(int32_t timeout, const char* name = nullptr, const char* baud = "9600",
            const char* bits = "8", const char* parity = "N", const char* stop = "1") {
    return SerialLinkOpen(&link, name ? name : pty.device().c_str(),
                          FindSettingEntry(BaudRateTable, kBaudRateCount, baud),
                          FindSettingEntry(DataBitsTable, kDataBitsCount, bits),
                          FindSettingEntry(ParityTable, kParityCount, parity),
                          FindSettingEntry(StopBitsTable, kStopBitsCount, stop), timeout,
                          Collector::Line, &collector) == 1;
  }

  Pty pty;
  SerialLink link;
  Collector collector;
};

TEST_F(SerialLinkTest, ASentenceSplitByPausesGivesOneFixOnThePortsEllipsoid) {
  GpsPort port;
  GpsPortReset(&port);
  const std::u16string device(pty.device().begin(), pty.device().end());
  ASSERT_EQ(GpsPortOpenWide(&port, device.c_str(), u"4800", u"8", u"N", u"1", 20, 5, Collector::Fix,
                            &collector),
            1);
  // A read returns 20 ms after the last byte, so each part is a read of its own.
  for (const char* part :
       {"$GPRMC,123519,A*00\r\n$GPGGA,123519,4807.038,N,01131.0", "00,E,1,08,0.9,545.4,M,46.9,M",
        ",,*47\r\n", "$GPGGA,123520,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,*4D\r\n"}) {
    ASSERT_TRUE(pty.Write(part));
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  // Easting in km on ellipsoid 5 (687.300 on WGS 84).
  EXPECT_EQ(collector.WaitFor(2), (Lines{"123519.00 687.308", "123520.00 687.308"}));
  EXPECT_EQ(GpsPortClose(&port), 1);
}

// What arrived before the close is kept: the rest of the read in progress and what
// waits in the driver. A line still incomplete is dropped, and once close has
// returned no line comes.
TEST_F(SerialLinkTest, CloseHandsOverTheWholeLinesThatArrivedBeforeIt) {
  ASSERT_TRUE(pty.Write("first\nsecond\n"));  // one read takes both
  collector.hold_until_closed = &link;
  ASSERT_TRUE(Open(200));
  collector.WaitFor(1);
  const std::string waiting = "third\nfourth\npart";
  ASSERT_TRUE(pty.Write(waiting));  // while the reader waits in the handler
  ASSERT_TRUE(PollUntil([&] { return SerialPortWaitingCount(link.port) == waiting.size(); }, 5000))
      << SerialPortWaitingCount(link.port);
  ASSERT_EQ(SerialLinkClose(&link), 1);
  EXPECT_EQ(collector.WaitFor(0), (Lines{"first", "second", "third", "fourth"}));
  EXPECT_TRUE(link.thread == nullptr && link.port == kInvalidSerialPort) << "left reset";
}

TEST_F(SerialLinkTest, CloseDoesNotWaitOutTheReadInProgress) {
  ASSERT_TRUE(Open(5000));
  // A full read gives its line at once; the next read, with nothing to come, would
  // last 5 s and more.
  ASSERT_TRUE(pty.Write("line\n" + std::string(kLineMax - 5, 'x')));
  ASSERT_EQ(collector.WaitFor(1).size(), 1u);
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(SerialLinkClose(&link), 1);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
}

TEST_F(SerialLinkTest, FailedOpensLeaveTheLinkResetAndThePortFree) {
  // Rows the line cannot take fail once the port is open; a missing row, before.
  const SettingEntry nine_bits{"9", 9}, half_stop{"1.5", 1};
  const struct {
    const SettingEntry *bits, *stop;
  } rows[] = {{&nine_bits, &StopBitsTable[0]}, {&DataBitsTable[0], &half_stop}, {nullptr, nullptr}};
  for (const auto& r : rows) {
    EXPECT_EQ(SerialLinkOpen(&link, pty.device().c_str(), &BaudRateTable[6], r.bits,
                             &ParityTable[1], r.stop, 100, Collector::Line, &collector),
              0);
    EXPECT_TRUE(link.thread == nullptr && link.port == kInvalidSerialPort) << "left reset";
    EXPECT_EQ(link.device, pty.device()) << "the device tried is kept to explain the failure";
  }
  EXPECT_FALSE(Open(100, "GPS1:"));
  EXPECT_STREQ(link.device, "") << "a name that leads nowhere tried no device";
  // A wide name cut at 31 characters would be another device; a lone surrogate no text.
  const std::u16string name(pty.device().begin(), pty.device().end());
  GpsPort port;
  for (const std::u16string& wide : {name + u"/" + std::u16string(40, u'x'), name + u"\xD800"})
    EXPECT_EQ(
        GpsPortOpenWide(&port, wide.c_str(), u"9600", u"8", u"N", u"1", 100, 0, nullptr, nullptr),
        0);
  EXPECT_TRUE(Open(20)) << "nothing was left holding the device";
}

TEST_F(SerialLinkTest, AfterAHangUpTheSamePortNameIsOpenedAgainWithTheSameSettings) {
  TempPortsFolder ports;
  ASSERT_TRUE(ports.Link(4, pty.device()));
  ASSERT_TRUE(Open(20, "COM4:", "4800", "7", "O", "2"));
  ASSERT_TRUE(pty.Write("one\ncut"));
  EXPECT_EQ(collector.WaitFor(1), (Lines{"one"}));
  pty.CloseMaster();  // unplugged while a line is half sent
  Pty second;         // back under the same name on another device
  ASSERT_TRUE(second.MakeRaw() && second.Write("two\n"));
  std::filesystem::remove(ports.folder() + "/COM4");
  ASSERT_TRUE(ports.Link(4, second.device()));
  EXPECT_EQ(collector.WaitFor(2), (Lines{"one", "two"}))
      << "a line cut off by the unplugging is dropped";
  EXPECT_EQ(ReadBackSpeed(second.master()), 4800);
  termios line{};
  ASSERT_EQ(tcgetattr(second.master(), &line), 0);
  // A pty keeps the stop bits and the odd flag, not the character size or PARENB.
  EXPECT_EQ(line.c_cflag & (PARODD | CSTOPB), static_cast<tcflag_t>(PARODD | CSTOPB));
  SerialLinkClose(&link);  // before the ports folder goes
}

}  // namespace
