// The configuration file in a real XDG_CONFIG_HOME: what a load takes from the file
// found, and what the save after it leaves on disk, under faults too.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>

#include "config/port_config.h"
#include "tests/support/pty.h"
#include "tests/support/shared_data.h"

namespace {

// The file's image of 160 text units and five selections, little-endian.
std::string Image(const std::u16string& units, std::initializer_list<int16_t> selections) {
  std::string image;
  for (const uint16_t unit : units + std::u16string(selections.begin(), selections.end()))
    image += {char(unit & 0xFF), char(unit >> 8)};
  return image;
}

// Texts without a terminator, selections that need both bytes.
const std::string kRecord = Image(std::u16string(160, u'x'), {-1, 258, 3, -32768, 32767});

// The defaults, each text and its terminator over what the record held before.
std::string Defaults(char16_t held) {
  std::u16string units;
  for (const std::u16string text : {u"COM1:", u"9600", u"8", u"N", u"1"})
    units += text + u'\0' + std::u16string(30 - text.size(), held) + u'\0';
  return Image(units, {0, 0, 0, 0, 0});
}

TEST(PortConfig, LoadThenSaveOverWhatIsOnDisk) {
  const struct {
    const char* what;
    bool link;
    std::optional<std::string> old;
    mode_t mode;
    int loaded;
    std::string record;  // after the load
    bool replaced;       // by the save
    mode_t node = 0;     // a FIFO, socket or device in the file's place: never read (a FIFO
                         // would block the start), never replaced
    rlim_t size_limit = RLIM_INFINITY;
  } cases[] = {
      {"no file", false, {}, 0600, 0, Defaults(u'h'), true},
      {"a record", false, kRecord, 0644, 1, kRecord, true},
      {"a record and more", false, kRecord + "zz", 0640, 1, kRecord, true},
      {"a record short of a byte", false, kRecord.substr(0, 329), 0600, 0, Defaults(u'x'), true},
      {"a link to a text file", true, std::string(999, 'o'), 0644, 1, std::string(330, 'o'), false},
      {"a link to nothing", true, {}, 0, 0, Defaults(u'h'), false},
      {"a link to an empty file", true, "", 0640, 0, Defaults(u'h'), true},
      {"a link to a record", true, kRecord, 0604, 1, kRecord, true},
      {"a record, the disk full", false, kRecord, 0600, 1, kRecord, false, 0, 100},
      {"a FIFO", false, {}, 0600, 0, Defaults(u'h'), false, S_IFIFO},
      {"a socket", false, {}, 0600, 0, Defaults(u'h'), false, S_IFSOCK},
      {"a link to a device", true, {}, 0666, 0, Defaults(u'h'), false, S_IFCHR},
  };
  TempPortsFolder home;
  const std::string path = home.config_home() + "/tavik.cfg", real = path + ".real";
  auto config = std::make_unique<PortConfig>();  // on the heap: ASan sees an overread
  const char* image = reinterpret_cast<const char*>(config.get());
  signal(SIGXFSZ, SIG_IGN);
  for (const auto& c : cases) {
    const std::string& file = c.link && !c.node ? real : path;
    unlink(path.c_str()), unlink(real.c_str());
    ASSERT_TRUE(!c.old || (WriteWholeFile(file, *c.old) && chmod(file.c_str(), c.mode) == 0));
    ASSERT_TRUE(!c.link || symlink(c.node ? "/dev/zero" : real.c_str(), path.c_str()) == 0);
    ASSERT_TRUE(!c.node || c.link ||
                (mknod(path.c_str(), c.node | c.mode, 0) == 0 && chmod(path.c_str(), c.mode) == 0));
    testing::internal::CaptureStderr();
    const std::string held = Image(std::u16string(160, u'h'), {5, 5, 5, 5, 5});
    memcpy(config.get(), held.data(), held.size());
    EXPECT_EQ(LoadPortConfig(config.get()), c.loaded) << c.what;
    EXPECT_EQ(std::string(image, sizeof(PortConfig)), c.record) << c.what;

    config->selection[SETTING_DATA_BITS] = 7;
    rlimit saved{};
    getrlimit(RLIMIT_FSIZE, &saved);
    const rlimit limited{std::min(c.size_limit, saved.rlim_cur), saved.rlim_max};
    setrlimit(RLIMIT_FSIZE, &limited);
    SavePortConfig(config.get());
    setrlimit(RLIMIT_FSIZE, &saved);
    const std::string kind = c.node == S_IFIFO    ? "a FIFO, "
                             : c.node == S_IFSOCK ? "a socket, "
                                                  : "a character device, ";
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              !c.node ? ""
                      : "tavik: " + path + " is " + kind + "not a regular file; the default " +
                            "settings are used\ntavik: " + path + (c.link ? " leads to " : " is ") +
                            kind + "not a regular file; the settings are not saved\n")
        << c.what;
    std::string bytes;
    struct stat status {};
    if (c.node == 0) ReadWholeFile(file, &bytes);
    EXPECT_EQ(bytes, c.replaced ? std::string(image, sizeof(PortConfig)) : c.old.value_or(""))
        << c.what;
    EXPECT_EQ(stat(file.c_str(), &status) == 0 ? status.st_mode & 07777 : 0, c.mode) << c.what;
    EXPECT_EQ(status.st_mode & S_IFMT, !c.mode ? 0 : c.node ? c.node : S_IFREG) << c.what;
    EXPECT_TRUE(lstat(path.c_str(), &status) == 0 && S_ISLNK(status.st_mode) == c.link);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(home.config_home()), {}),
              c.link && c.old ? 3 : 2)
        << c.what << ": a file left behind";
  }
}

// The path counts in UTF-16 units with its terminator: a folder of 249 still has one.
TEST(PortConfig, AFolderOf249CharactersGetsAPathOf250None) {
  TempPortsFolder home;
  std::string folder = home.config_home() + "/";
  for (size_t units = folder.size(); units < 249; ++units)
    folder += units % 60 == 59 ? "/" : "\xc3\xa4";  // a name holds at most 255 bytes
  for (const bool fits : {true, false}) {
    setenv("XDG_CONFIG_HOME", folder.c_str(), 1);
    char16_t path[kMaxPathChars];
    EXPECT_EQ(BuildConfigPath(path), fits) << folder;
    folder += "y";
  }
}

}  // namespace
