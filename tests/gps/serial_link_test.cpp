// Thread tests of the serial link: a reader thread on a real pseudo-terminal.
#include "gps/serial_link.h"

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/pty.h"
#include "tests/support/termios2_readback.h"

namespace {

using Clock = std::chrono::steady_clock;
using Lines = std::vector<std::string>;

// Lines the reader delivers, gathered under a lock for the test thread.
struct Collector {
  std::mutex mutex;
  std::condition_variable arrived;
  Lines lines;
  std::atomic<bool> closed{false};
  std::atomic<int> calls_after_close{0};

  static void Handle(const char* line, uint32_t length, void* context) {
    auto* self = static_cast<Collector*>(context);
    if (self->closed) self->calls_after_close++;
    EXPECT_EQ(line[length], '\0');
    std::lock_guard<std::mutex> lock(self->mutex);
    self->lines.emplace_back(line, length);
    self->arrived.notify_all();
  }

  // The lines once `count` have come (or what came within 10 s).
  Lines WaitFor(size_t count) {
    std::unique_lock<std::mutex> lock(mutex);
    arrived.wait_for(lock, std::chrono::seconds(10), [&] { return lines.size() >= count; });
    return lines;
  }
};

// T = 20 ms: a read returns 20 ms after the last byte, so pauses split reads.
constexpr int32_t kShortTimeout = 20;

class SerialLinkTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(pty.ok());
    ASSERT_TRUE(pty.MakeRaw());
    SerialLinkReset(&link);
  }
  void TearDown() override { SerialLinkClose(&link); }

  bool Open(int32_t timeout = kShortTimeout) {
    return SerialLinkOpenNarrow(&link, pty.device().c_str(), "9600", "8", "N", "1", timeout,
                                Collector::Handle, &collector) == 1;
  }
  void Pause() { std::this_thread::sleep_for(std::chrono::milliseconds(5 * kShortTimeout)); }

  Pty pty;
  SerialLink link;
  Collector collector;
};

void ExpectReset(const SerialLink& link) {
  EXPECT_EQ(link.thread, nullptr);
  EXPECT_EQ(link.port, kInvalidSerialPort);
  EXPECT_EQ(link.running.load(), 0);
  EXPECT_EQ(link.line_handler, nullptr);
  EXPECT_EQ(link.line_handler_context, nullptr);
}

TEST_F(SerialLinkTest, TwoSentencesInOneRead) {
  ASSERT_TRUE(pty.Write("$GPGGA,1*00\r\n$GPRMC,2*00\r\n"));
  ASSERT_TRUE(Open(200));
  EXPECT_EQ(collector.WaitFor(2), (Lines{"$GPGGA,1*00", "$GPRMC,2*00"}));
}

TEST_F(SerialLinkTest, ASentenceSplitAcrossReadsArrivesOnceWhole) {
  ASSERT_TRUE(Open());
  ASSERT_TRUE(pty.Write("$GPGGA,1235"));
  Pause();
  ASSERT_TRUE(pty.Write("19,4807.038"));
  Pause();
  ASSERT_TRUE(pty.Write(",N*00\r\nnext\n"));
  EXPECT_EQ(collector.WaitFor(2), (Lines{"$GPGGA,123519,4807.038,N*00", "next"}));
}

TEST_F(SerialLinkTest, RunsOfLineEndsDeliverNothing) {
  ASSERT_TRUE(Open());
  ASSERT_TRUE(pty.Write("\r\n\r\r\n\n\n\r"));
  Pause();
  ASSERT_TRUE(pty.Write("\n\rend\r\r\n"));
  EXPECT_EQ(collector.WaitFor(1), (Lines{"end"}));
}

TEST_F(SerialLinkTest, LongLinesAreCutAt1023) {
  ASSERT_TRUE(Open());
  const std::string a(1023, 'a'), b(1024, 'b'), c(1030, 'c');
  ASSERT_TRUE(pty.Write(a + "\r" + b + "\r" + c + "\r"));
  EXPECT_EQ(collector.WaitFor(4),
            (Lines{a, std::string(1023, 'b'), std::string(1023, 'c'), std::string(6, 'c')}));
}

TEST_F(SerialLinkTest, NothingIsDeliveredAfterCloseReturns) {
  ASSERT_TRUE(Open());
  std::atomic<bool> stop{false};
  std::thread talker([&] {
    while (!stop) {
      pty.Write("$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,*47\r\n");
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
  });
  collector.WaitFor(20);
  ASSERT_EQ(SerialLinkClose(&link), 1);
  collector.closed = true;
  const size_t at_close = collector.WaitFor(0).size();
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  stop = true;
  talker.join();
  EXPECT_EQ(collector.calls_after_close.load(), 0);
  EXPECT_EQ(collector.WaitFor(0).size(), at_close);
  ExpectReset(link);
}

TEST_F(SerialLinkTest, AnUnfinishedLineIsDroppedAtClose) {
  ASSERT_TRUE(Open());
  ASSERT_TRUE(pty.Write("first\r\nunfinished"));
  EXPECT_EQ(collector.WaitFor(1), (Lines{"first"}));
  Pause();
  SerialLinkClose(&link);
  EXPECT_EQ(collector.WaitFor(0), (Lines{"first"}));
}

TEST_F(SerialLinkTest, TimeoutsKeptInTheLink) {
  struct Case {
    int32_t t;
    uint32_t constant, multiplier;
  } cases[] = {{0, 1, 1},       {-7, 1, 1},      {1023, 1023, 1},
               {2000, 2000, 1}, {2046, 2046, 2}, {5000, 5000, 4}};
  for (const Case& c : cases) {
    ASSERT_TRUE(Open(c.t)) << c.t;
    EXPECT_EQ(link.timeouts.read_interval_ms, c.constant) << c.t;
    EXPECT_EQ(link.timeouts.read_total_multiplier_ms, c.multiplier) << c.t;
    EXPECT_EQ(link.timeouts.read_total_constant_ms, c.constant) << c.t;
    EXPECT_EQ(link.timeouts.write_total_multiplier_ms, c.multiplier) << c.t;
    EXPECT_EQ(link.timeouts.write_total_constant_ms, c.constant) << c.t;
    EXPECT_EQ(SerialLinkClose(&link), 1);
  }
  // The smallest time-out still carries lines.
  ASSERT_TRUE(Open(0));
  ASSERT_TRUE(pty.Write("tiny\n"));
  EXPECT_EQ(collector.WaitFor(1), (Lines{"tiny"}));
}

TEST_F(SerialLinkTest, ExclusiveAgainstASecondLinkAndAProbe) {
  TempPortsFolder ports;
  ASSERT_TRUE(ports.Link(3, pty.device()));
  ASSERT_EQ(SerialLinkOpenNarrow(&link, "COM3:", "4800", "8", "N", "1", 100, Collector::Handle,
                                 &collector),
            1);
  SerialLink second;
  SerialLinkReset(&second);
  EXPECT_EQ(SerialLinkOpenNarrow(&second, "COM3:", "4800", "8", "N", "1", 100, nullptr, nullptr),
            0);
  ExpectReset(second);
  EXPECT_EQ(SerialLinkOpenNarrow(&second, pty.device().c_str(), "4800", "8", "N", "1", 100, nullptr,
                                 nullptr),
            0);
  EXPECT_EQ(SerialPortOpen("COM3:"), kInvalidSerialPort);
  SerialLinkClose(&link);
  ASSERT_EQ(SerialLinkOpenNarrow(&second, "COM3:", "4800", "8", "N", "1", 100, nullptr, nullptr), 1)
      << "free again after close";
  SerialLinkClose(&second);
}

TEST_F(SerialLinkTest, FailedOpensLeaveTheLinkReset) {
  TempPortsFolder ports;
  ASSERT_TRUE(ports.Link(5, "/nonexistent/tty"));
  const char* device = pty.device().c_str();
  const SettingEntry nine_bits{"9", 9};
  const SettingEntry half_stop{"1.5", 1};
  struct Attempt {
    const char* what;
    int result;
  } attempts[] = {
      {"lower-case parity", SerialLinkOpenNarrow(&link, device, "9600", "8", "n", "1", 100,
                                                 Collector::Handle, &collector)},
      {"unknown baud rate", SerialLinkOpenNarrow(&link, device, "14400", "8", "N", "1", 100,
                                                 Collector::Handle, &collector)},
      {"missing text", SerialLinkOpenNarrow(&link, device, "9600", nullptr, "N", "1", 100,
                                            Collector::Handle, &collector)},
      {"missing name", SerialLinkOpenNarrow(&link, nullptr, "9600", "8", "N", "1", 100,
                                            Collector::Handle, &collector)},
      {"absent device", SerialLinkOpenNarrow(&link, "COM5:", "9600", "8", "N", "1", 100,
                                             Collector::Handle, &collector)},
      {"not a port name", SerialLinkOpenNarrow(&link, "ttyS0", "9600", "8", "N", "1", 100,
                                               Collector::Handle, &collector)},
      {"line refuses the settings",
       SerialLinkOpenEntries(&link, device, &BaudRateTable[6], &nine_bits, &ParityTable[1],
                             &StopBitsTable[0], 100, Collector::Handle, &collector)},
      {"one and a half stop bits",
       SerialLinkOpenEntries(&link, device, &BaudRateTable[6], &DataBitsTable[0], &ParityTable[1],
                             &half_stop, 100, Collector::Handle, &collector)},
  };
  for (const Attempt& attempt : attempts) {
    EXPECT_EQ(attempt.result, 0) << attempt.what;
  }
  ExpectReset(link);
  // Nothing was left holding the device.
  ASSERT_TRUE(Open());
  EXPECT_EQ(SerialLinkOpenNarrow(nullptr, device, "9600", "8", "N", "1", 100, nullptr, nullptr), 0);
}

TEST_F(SerialLinkTest, WideTextsOpenLikeNarrowOnes) {
  const std::u16string device(pty.device().begin(), pty.device().end());
  ASSERT_EQ(SerialLinkOpenWide(&link, device.c_str(), u"115200", u"8", u"N", u"1", kShortTimeout,
                               Collector::Handle, &collector),
            1);
  ASSERT_TRUE(pty.Write("wide\n"));
  EXPECT_EQ(collector.WaitFor(1), (Lines{"wide"}));
  SerialLinkClose(&link);
  // A name cut at 31 characters would be another device; it is refused whole.
  const std::u16string long_name = device + u"/" + std::u16string(40, u'x');
  EXPECT_EQ(SerialLinkOpenWide(&link, long_name.c_str(), u"9600", u"8", u"N", u"1", 100, nullptr,
                               nullptr),
            0);
  EXPECT_EQ(SerialLinkOpenWide(&link, device.c_str(), u"9600\xD800", u"8", u"N", u"1", 100, nullptr,
                               nullptr),
            0)
      << "a lone surrogate";
  EXPECT_EQ(SerialLinkOpenWide(&link, device.c_str(), u"9600", u"8", nullptr, u"1", 100, nullptr,
                               nullptr),
            0);
  ExpectReset(link);
}

TEST_F(SerialLinkTest, CloseIsHarmlessWhenClosed) {
  EXPECT_EQ(SerialLinkClose(&link), 1);
  EXPECT_EQ(SerialLinkClose(&link), 1);
  EXPECT_EQ(SerialLinkClose(nullptr), 0);
  ASSERT_TRUE(Open());
  EXPECT_EQ(SerialLinkClose(&link), 1);
  EXPECT_EQ(SerialLinkClose(&link), 1);
  ExpectReset(link);
}

TEST_F(SerialLinkTest, Writes) {
  EXPECT_EQ(SerialLinkWrite(&link, "x", 1), 0) << "closed";
  ASSERT_TRUE(Open());
  EXPECT_EQ(SerialLinkWrite(&link, "", 0), 1);
  EXPECT_EQ(SerialLinkWrite(&link, nullptr, 3), 0);
  EXPECT_EQ(SerialLinkWrite(nullptr, "x", 1), 0);
  const std::string command = "$PMTK314,0,1,0,1,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0*28\r\n";
  EXPECT_EQ(SerialLinkWrite(&link, command.data(), command.size()), 1);
  EXPECT_EQ(pty.Read(command.size(), 2000), command);
}

int64_t MsToClose(SerialLink* link) {
  const auto start = Clock::now();
  EXPECT_EQ(SerialLinkClose(link), 1);
  return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
}

TEST_F(SerialLinkTest, CloseDoesNotWaitOutTheReadInProgress) {
  // A read at T = 5000 may last 5000 + 4 x 1023 ms; close ends it early, idle or busy.
  ASSERT_TRUE(Open(5000));
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  EXPECT_LT(MsToClose(&link), 1000);

  ASSERT_TRUE(Open(5000));
  std::atomic<bool> stop{false};
  std::thread talker([&] {
    while (!stop) {
      pty.Write("$GPGSV,1,1,00*79\r\n");
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
  });
  collector.WaitFor(10);
  EXPECT_LT(MsToClose(&link), 1000);
  stop = true;
  talker.join();
}

int64_t ProcessCpuMs() {
  rusage usage;
  getrusage(RUSAGE_SELF, &usage);
  return (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1000 +
         (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1000;
}

TEST_F(SerialLinkTest, AHungUpLineNeitherSpinsNorDelaysClose) {
  ASSERT_TRUE(Open(500));
  ASSERT_TRUE(pty.Write("before\n"));
  EXPECT_EQ(collector.WaitFor(1), (Lines{"before"}));
  pty.CloseMaster();  // the receiver is unplugged
  const int64_t cpu_before = ProcessCpuMs();
  const auto start = Clock::now();
  std::this_thread::sleep_for(std::chrono::seconds(1));
  const int64_t cpu_ms = ProcessCpuMs() - cpu_before;
  const auto wall_ms =
      std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
  // A reader that retries at once burns the whole second; a waiting one a few ms.
  EXPECT_LT(cpu_ms, wall_ms / 4) << "reader spins after the hang-up";
  const auto close_start = Clock::now();
  EXPECT_EQ(SerialLinkClose(&link), 1);
  EXPECT_LT(
      std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - close_start).count(),
      1000)
      << "close waits out a whole read time-out";
}

}  // namespace

namespace {

TEST(SerialLinkReplug, TheSamePortNameIsOpenedAgainWithTheSameSettings) {
  TempPortsFolder ports;
  auto first = std::make_unique<Pty>();
  ASSERT_TRUE(first->ok() && first->MakeRaw() && ports.Link(4, first->device()));
  SerialLink link;
  Collector collector;
  ASSERT_EQ(SerialLinkOpenNarrow(&link, "COM4:", "4800", "8", "N", "1", kShortTimeout,
                                 Collector::Handle, &collector),
            1);
  ASSERT_TRUE(first->Write("one\n"));
  EXPECT_EQ(collector.WaitFor(1), (Lines{"one"}));
  // Unplugged while a line is half sent, and back under the same name on another device.
  ASSERT_TRUE(first->Write("cut"));
  first.reset();
  Pty second;
  ASSERT_TRUE(second.ok() && second.MakeRaw());
  std::filesystem::remove(ports.folder() + "/COM4");
  ASSERT_TRUE(ports.Link(4, second.device()));
  std::atomic<bool> read_again{false};
  std::thread receiver([&] {
    while (!read_again) {
      second.Write("two\n");
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
  });
  const Lines lines = collector.WaitFor(2);
  read_again = true;
  receiver.join();
  ASSERT_GE(lines.size(), 2u);
  EXPECT_EQ(lines[1], "two") << "a line cut off by the unplugging is dropped";
  EXPECT_EQ(ReadBackSpeed(second.master()), 4800);
  EXPECT_EQ(SerialLinkClose(&link), 1);
}

}  // namespace
