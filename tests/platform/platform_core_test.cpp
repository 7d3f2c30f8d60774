// The Linux layer's pure rules: line flags, time-outs, port names, the per-user
// folder, text conversion, and a lock between two threads.
#include <gtest/gtest.h>
#include <pwd.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <thread>

#include "platform/app_data_folder.h"
#include "platform/lock.h"
#include "platform/serial_port.h"
#include "platform/text_convert.h"
#include "platform/wide_format.h"
#include "tests/support/pty.h"
#include "tests/support/scoped_env.h"

namespace {

TEST(SerialCharacterFlags, DataBitsParityAndStopBits) {
  const struct {
    int32_t bits, parity, stop;
    uint32_t flags;  // 0: refused
  } cases[] = {
      {8, kNoParity, kOneStopBit, CS8},
      {7, kEvenParity, kOneStopBit, CS7 | PARENB},
      {7, kOddParity, kTwoStopBits, CS7 | PARENB | PARODD | CSTOPB},
      {6, kNoParity, kTwoStopBits, CS6 | CSTOPB},
      {5, kEvenParity, kOneStopBit, CS5 | PARENB},
      {9, kNoParity, kOneStopBit, 0},
      {8, 3, kOneStopBit, 0},  // mark parity
      {8, kNoParity, 1, 0},    // one and a half stop bits
  };
  for (const auto& c : cases) {
    uint32_t flags = 0;
    const int taken = SerialCharacterFlags(c.bits, c.parity, c.stop, &flags);
    EXPECT_EQ(taken ? flags : 0u, c.flags) << c.bits << ' ' << c.parity << ' ' << c.stop;
  }
}

TEST(SerialTimeouts, DerivedFromTheLinkTimeout) {
  const struct {
    int32_t t;
    uint32_t constant, multiplier;
  } cases[] = {{0, 1, 1},       {-5, 1, 1},      {1022, 1022, 1}, {1023, 1023, 1},
               {2045, 2045, 1}, {2046, 2046, 2}, {5000, 5000, 4}};
  for (const auto& c : cases) {
    const SerialTimeouts t = SerialTimeoutsFor(c.t);
    EXPECT_EQ(t.read_interval_ms, c.constant) << c.t;
    EXPECT_EQ(t.read_total_multiplier_ms, c.multiplier) << c.t;
    EXPECT_EQ(t.read_total_constant_ms, c.constant) << c.t;
    EXPECT_EQ(t.write_total_multiplier_ms, c.multiplier) << c.t;
    EXPECT_EQ(t.write_total_constant_ms, c.constant) << c.t;
  }
  EXPECT_EQ(SerialReadBoundMs(SerialTimeoutsFor(INT32_MAX), 1023), 2099202ull * 1023 + INT32_MAX);
}

TEST(PortNames, AnEntryInThePortsFolderWinsElseTheBuiltInDevice) {
  TempPortsFolder ports;
  ASSERT_TRUE(ports.Link(9, "/nowhere/at/all"));
  const struct {
    const char *name, *device;
  } cases[] = {{"COM0:", "/dev/ttyS0"}, {"COM1:", "/dev/ttyUSB0"}, {"/dev/ttyUSB7", "/dev/ttyUSB7"},
               {"COM10:", "<none>"},    {"com1:", "<none>"},       {"COM1", "<none>"},
               {"dev/ttyS0", "<none>"}};
  for (const auto& c : cases) {
    char device[kDevicePathSize];
    EXPECT_EQ(ResolvePortName(c.name, device, sizeof device) ? device : "<none>",
              std::string(c.device));
  }
  char device[kDevicePathSize];
  ASSERT_EQ(ResolvePortName("COM9:", device, sizeof device), 1);
  EXPECT_EQ(std::string(device), ports.config_home() + "/tavik/ports/COM9") << "even dangling";
}

std::string ConfigHome(bool create) {
  char out[4096];
  return (create ? AppDataFolder(out, sizeof out) : ConfigHomeFolder(out, sizeof out)) ? out : "-";
}

TEST(ConfigHomeFolder, XdgOrHomeOrTheAccountsHomeAndThePortsFolderBelowIt) {
  TempDir dir;
  passwd* account = getpwuid(getuid());
  ASSERT_NE(account, nullptr);
  const std::string xdg_set = dir.File("a/b"), home_with_slash = dir.path() + "/";
  const struct {
    const char *xdg, *home;  // null: unset
    std::string folder;
  } cases[] = {
      {xdg_set.c_str(), "/x", xdg_set},
      {nullptr, home_with_slash.c_str(), dir.File(".config")},
      {"relative/config", dir.path().c_str(), dir.File(".config")},
      {"", nullptr, std::string(account->pw_dir) + "/.config"},
  };
  for (const auto& c : cases) {
    ScopedEnv xdg("XDG_CONFIG_HOME", c.xdg), home("HOME", c.home);
    EXPECT_EQ(ConfigHome(false), c.folder);
    char ports[4096];
    ASSERT_EQ(PortsFolder(ports, sizeof ports), 1);
    EXPECT_EQ(std::string(ports), c.folder + "/tavik/ports");
  }
}

TEST(AppDataFolder, CreatedWithItsParentsForTheUserAlone) {
  TempDir dir;
  ScopedEnv xdg("XDG_CONFIG_HOME", dir.File("a/b"));
  EXPECT_EQ(ConfigHome(true), dir.File("a/b"));
  for (const char* folder : {"a", "a/b"}) {
    struct stat info {};
    ASSERT_EQ(stat(dir.File(folder).c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u) << folder;
  }
  ASSERT_TRUE(WriteWholeFile(dir.File("plain"), "x"));
  ScopedEnv in_the_way("XDG_CONFIG_HOME", dir.File("plain/below"));
  EXPECT_EQ(ConfigHome(true), "-");
}

TEST(TextConvert, WholeCharactersOrNothing) {
  const char16_t lone_low[] = {u'a', 0xDFFF, 0}, lone_high[] = {0xD83D, u'b', 0};
  const struct {
    const char16_t* wide;
    const char* narrow;  // null: refused
  } cases[] = {
      {u"Gr\u00fc\u00dfe \u20ac \U0001F6F0",
       "Gr\xc3\xbc\xc3\x9f"
       "e \xe2\x82\xac \xf0\x9f\x9b\xb0"},
      {lone_low, nullptr},
      {lone_high, nullptr},
  };
  for (const auto& c : cases) {
    char narrow[32];
    EXPECT_EQ(Utf16ToUtf8(narrow, sizeof narrow, c.wide) >= 0 ? narrow : "-",
              std::string(c.narrow ? c.narrow : "-"));
    char16_t wide[32];
    if (c.narrow) {
      EXPECT_EQ(Utf8ToUtf16(wide, 32, c.narrow) >= 0 ? wide : u"-", std::u16string(c.wide));
    }
  }
  char16_t pair_cut[3];  // never half a surrogate pair
  EXPECT_EQ(Utf8ToUtf16(pair_cut, 3, "a\xf0\x9f\x9b\xb0"), 3);
  EXPECT_EQ(std::u16string(pair_cut), u"a");
  char16_t readout[16] = {};  // the read-out formatter shares the pair encoder
  EXPECT_EQ(WideFormatDouble(readout, 15, u"%.1f\U0001F6F0", 2.25), 5);
  EXPECT_EQ(std::u16string(readout), u"2.2\U0001F6F0");
  EXPECT_EQ(WideFormatDouble(readout, 15, u"%.1f%n", 2.25), -1);
  for (const char* bad : {"\xc0\x80", "\xed\xa0\x80", "\xf4\x90\x80\x80", "ab\xe2\x82", "\xe9"})
    EXPECT_EQ(Utf8ToUtf16(pair_cut, 3, bad), -1) << bad;
}

TEST(Lock, GuardsDataSharedByTwoThreads) {
  Lock lock;
  LockInitialize(&lock);
  long counter = 0;
  auto work = [&] {
    for (int i = 0; i < 500; ++i) {
      LockEnter(&lock);
      const long seen = counter;
      // Without the lock the other thread would read the same value meanwhile.
      std::this_thread::sleep_for(std::chrono::microseconds(20));
      counter = seen + 1;
      LockLeave(&lock);
    }
  };
  std::thread other(work);
  work();
  other.join();
  LockDelete(&lock);
  EXPECT_EQ(counter, 1000L);
}

}  // namespace
