// The Linux layer's rules without a terminal: line flags, time-outs, the per-user
// folder and text conversion.
#include <gtest/gtest.h>
#include <pwd.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <string>

#include "platform/app_data_folder.h"
#include "platform/serial_port.h"
#include "platform/text_convert.h"
#include "platform/wide_format.h"
#include "tests/support/scoped_env.h"
#include "tests/support/temp_dir.h"

namespace {

// A pseudo-terminal always reads back eight bits without parity.
TEST(SerialCharacterFlags, SevenDataBitsWithEvenParity) {
  uint32_t flags = 0;
  ASSERT_EQ(SerialCharacterFlags(7, kEvenParity, kOneStopBit, &flags), 1);
  EXPECT_EQ(flags, static_cast<uint32_t>(CS7 | PARENB));
}

TEST(SerialTimeouts, AReadEndsByTheBoundDerivedFromTheLinkTimeout) {
  EXPECT_EQ(SerialReadBoundMs(SerialTimeoutsFor(-5), 10), 1u * 10 + 1);  // T' at least 1
  EXPECT_EQ(SerialReadBoundMs(SerialTimeoutsFor(2045), 1023), 1u * 1023 + 2045);
  EXPECT_EQ(SerialReadBoundMs(SerialTimeoutsFor(2046), 1023), 2u * 1023 + 2046);  // M = T' / 1023
  EXPECT_EQ(SerialReadBoundMs(SerialTimeoutsFor(INT32_MAX), 1023), 2099202ull * 1023 + INT32_MAX);
}

TEST(ConfigHomeFolder, XdgOrHomeOrTheAccountsHomeCreatedForTheUserAlone) {
  TempDir dir;
  const passwd* account = getpwuid(getuid());
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
  char folder[4096], ports[4096];
  for (const auto& c : cases) {
    ScopedEnv xdg("XDG_CONFIG_HOME", c.xdg), home("HOME", c.home);
    ASSERT_TRUE(ConfigHomeFolder(folder, sizeof folder) && PortsFolder(ports, sizeof ports));
    EXPECT_EQ(folder, c.folder);
    EXPECT_EQ(ports, c.folder + "/tavik/ports");
  }
  ScopedEnv xdg("XDG_CONFIG_HOME", xdg_set);
  ASSERT_TRUE(AppDataFolder(folder, sizeof folder));
  EXPECT_EQ(folder, xdg_set);
  for (const char* created : {"a", "a/b"}) {  // with its parents, for the user alone
    struct stat info {};
    ASSERT_EQ(stat(dir.File(created).c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u) << created;
  }
}

TEST(TextConvert, WholeCharactersOrNothing) {
  const std::u16string wide = u"Gr\u00fc\u00df \u20ac \U0001F6F0";
  const std::string narrow = "Gr\xc3\xbc\xc3\x9f \xe2\x82\xac \xf0\x9f\x9b\xb0";
  char out[32];
  char16_t back[32];
  ASSERT_GE(Utf16ToUtf8(out, sizeof out, wide.c_str()), 0);
  EXPECT_EQ(out, narrow);
  ASSERT_GE(Utf8ToUtf16(back, 32, narrow.c_str()), 0);
  EXPECT_EQ(back, wide);
  const char16_t lone_low[] = {u'a', 0xDFFF, 0}, lone_high[] = {0xD83D, u'b', 0};
  for (const char16_t* lone : {lone_low, lone_high})
    EXPECT_LT(Utf16ToUtf8(out, sizeof out, lone), 0);
  EXPECT_EQ(Utf8ToUtf16(back, 3, "a\xf0\x9f\x9b\xb0"), 3);  // never half a surrogate pair
  EXPECT_EQ(std::u16string(back), u"a");
  for (const char* bad : {"\xc0\x80", "\xed\xa0\x80", "\xf4\x90\x80\x80", "ab\xe2\x82", "\xe9"})
    EXPECT_EQ(Utf8ToUtf16(back, 3, bad), -1) << bad;
  EXPECT_EQ(WideFormatDouble(back, 15, u"%.1f%n", 2.25), -1) << "a read-out format takes no %n";
}

}  // namespace
