// The configuration file in a real XDG_CONFIG_HOME: what a load takes from the file
// found, and what the save after it leaves on disk, under faults too.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>

#include "config/port_config.h"
#include "gps/gps_port.h"
#include "tests/support/pty.h"
#include "tests/support/shared_data.h"

namespace {

using namespace std::string_literals;

// A file image: each text followed by `filler` up to its 31st unit and by `last` in its
// 32nd, then the selections, all little-endian.
std::string Image(std::initializer_list<std::u16string> texts, char16_t filler, char16_t last,
                  std::initializer_list<int16_t> selections) {
  std::string image;
  const auto put = [&](uint16_t unit) { image += {char(unit & 0xFF), char(unit >> 8)}; };
  for (std::u16string text : texts) {
    text.resize(31, filler);
    for (const char16_t unit : text + last)
      put(unit);
  }
  for (const int16_t selection : selections)
    put(static_cast<uint16_t>(selection));
  return image;
}

// Texts without a terminator, selections that need both bytes.
const std::string kRecord =
    Image({u"", u"", u"", u"", u""}, u'x', u'x', {-1, 258, 3, -32768, 32767});
const std::string kHeld = Image({u"", u"", u"", u"", u""}, u'h', u'h', {5, 5, 5, 5, 5});

// The defaults written over what the record held.
std::string Defaults(char16_t held) {
  return Image({u"COM1:\0"s, u"9600\0"s, u"8\0"s, u"N\0"s, u"1\0"s}, held, 0, {0, 0, 0, 0, 0});
}

std::string Bytes(const PortConfig& config) {
  return std::string(reinterpret_cast<const char*>(&config), sizeof config);
}

TEST(PortConfig, LoadThenSaveOverWhatIsOnDisk) {
  const std::string passwd(1200, 'o');
  const struct {
    const char* what;
    bool link;
    std::optional<std::string> old;
    mode_t mode;
    int loaded;
    std::string record;  // after the load
    bool replaced;       // by the save
    rlim_t size_limit = RLIM_INFINITY;
  } cases[] = {
      {"no file", false, {}, 0600, 0, Defaults(u'h'), true},
      {"a record", false, kRecord, 0644, 1, kRecord, true},
      {"a record and more", false, kRecord + "zz", 0640, 1, kRecord, true},
      {"a record short of a byte", false, kRecord.substr(0, 329), 0600, 0, Defaults(u'x'), true},
      {"a link to a copy of /etc/passwd", true, passwd, 0644, 1, passwd.substr(0, 330), false},
      {"a link to a short record", true, kRecord.substr(0, 329), 0640, 0, Defaults(u'x'), false},
      {"a link to nothing", true, {}, 0, 0, Defaults(u'h'), false},
      {"a link to an empty file", true, "", 0640, 0, Defaults(u'h'), true},
      {"a link to a record", true, kRecord, 0604, 1, kRecord, true},
      {"a record, the disk full", false, kRecord, 0600, 1, kRecord, false, 100},
  };
  TempPortsFolder home;
  const std::string path = home.config_home() + "/tavik.cfg", real = path + ".real";
  auto config = std::make_unique<PortConfig>();  // on the heap: ASan sees an overread
  for (const auto& c : cases) {
    const std::string& file = c.link ? real : path;
    unlink(path.c_str()), unlink(real.c_str());
    if (c.old) {
      ASSERT_TRUE(WriteWholeFile(file, *c.old) && chmod(file.c_str(), c.mode) == 0);
    }
    if (c.link) {
      ASSERT_EQ(symlink(real.c_str(), path.c_str()), 0);
    }
    memcpy(config.get(), kHeld.data(), kHeld.size());
    EXPECT_EQ(LoadPortConfig(config.get()), c.loaded) << c.what;
    EXPECT_EQ(Bytes(*config), c.record) << c.what;

    config->selection[SETTING_DATA_BITS] = 7;
    rlimit saved{}, limited{c.size_limit, RLIM_INFINITY};
    getrlimit(RLIMIT_FSIZE, &saved);
    const auto handler = signal(SIGXFSZ, SIG_IGN);
    setrlimit(RLIMIT_FSIZE, &limited);
    SavePortConfig(config.get());
    setrlimit(RLIMIT_FSIZE, &saved), signal(SIGXFSZ, handler);
    std::string bytes;
    struct stat status {};
    EXPECT_EQ(ReadWholeFile(file, &bytes), c.old || c.replaced) << c.what;
    EXPECT_EQ(bytes, c.replaced ? Bytes(*config) : c.old.value_or("")) << c.what;
    EXPECT_EQ(stat(file.c_str(), &status) == 0 ? status.st_mode & 07777 : 0, c.mode) << c.what;
    EXPECT_TRUE(lstat(path.c_str(), &status) == 0 && S_ISLNK(status.st_mode) == c.link);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(home.config_home()), {}),
              c.link && c.old ? 3 : 2)
        << c.what << ": a file left behind";
  }
  // Start takes the unterminated texts to the port's open, which must not read past them.
  const auto& text = config->text;
  GpsPort port;
  GpsPortReset(&port);
  EXPECT_EQ(
      GpsPortOpenWide(&port, text[0], text[1], text[2], text[3], text[4], 100, 0, nullptr, nullptr),
      0);
  EXPECT_EQ(errno, EINVAL);
}

// The path counts in UTF-16 units with its terminator: a folder of 249 still has one.
TEST(PortConfig, AFolderOf249CharactersGetsAPathOf250None) {
  TempPortsFolder home;
  std::string folder = home.config_home() + "/";
  for (size_t units = folder.size(); units < 249; ++units)
    folder += units % 60 == 59 ? "/" : "\xc3\xa4";  // a name holds at most 255 bytes
  for (const int fits : {1, 0}) {
    setenv("XDG_CONFIG_HOME", folder.c_str(), 1);
    char16_t path[kMaxPathChars];
    EXPECT_EQ(BuildConfigPath(path), fits == 1);
    PortConfig config{};
    config.selection[SETTING_PORT] = 7;
    SavePortConfig(&config);
    EXPECT_EQ(LoadPortConfig(&config), fits);
    EXPECT_EQ(config.selection[SETTING_PORT], fits * 7);
    folder += "y";
  }
}

}  // namespace
