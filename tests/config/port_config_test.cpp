// The configuration file in a real XDG_CONFIG_HOME: layout, defaults, paths, safe saves.
#include <gtest/gtest.h>

#include <dirent.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "config/port_config.h"
#include "tests/support/shared_data.h"
#include "tests/support/temp_dir.h"

namespace {

std::u16string Text(const PortConfig& config, int setting) {
  const char16_t* text = config.text[setting];
  size_t length = 0;
  while (length < kConfigTextChars && text[length] != 0)
    ++length;
  return std::u16string(text, length);
}

void SetText(PortConfig* config, int setting, const std::u16string& text) {
  for (size_t i = 0; i <= text.size(); ++i)
    config->text[setting][i] = i < text.size() ? text[i] : 0;
}

std::vector<std::string> FolderEntries(const std::string& folder) {
  std::vector<std::string> names;
  DIR* dir = opendir(folder.c_str());
  if (dir == nullptr) return names;
  while (dirent* entry = readdir(dir)) {
    if (strcmp(entry->d_name, ".") != 0 && strcmp(entry->d_name, "..") != 0)
      names.push_back(entry->d_name);
  }
  closedir(dir);
  return names;
}

// A record whose every byte differs from the defaults, in the file's byte order.
std::string SampleImage() {
  std::string image(330, '\0');
  for (int i = 0; i < 320; ++i)
    image[i] = static_cast<char>(i % 2 == 0 ? 'a' + (i / 2) % 26 : 0);
  const int16_t selections[] = {-1, 258, 3, -32768, 32767};
  for (int s = 0; s < 5; ++s) {
    image[320 + 2 * s] = static_cast<char>(selections[s] & 0xFF);
    image[321 + 2 * s] = static_cast<char>((selections[s] >> 8) & 0xFF);
  }
  return image;
}

class PortConfigTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* old = getenv("XDG_CONFIG_HOME");
    if (old != nullptr) old_xdg_ = old, had_xdg_ = true;
    folder_ = dir_.File("config");
    setenv("XDG_CONFIG_HOME", folder_.c_str(), 1);
    file_ = folder_ + "/tavik.cfg";
  }
  void TearDown() override {
    if (had_xdg_) {
      setenv("XDG_CONFIG_HOME", old_xdg_.c_str(), 1);
    } else {
      unsetenv("XDG_CONFIG_HOME");
    }
  }

  void ExpectDefaults(const PortConfig& config) {
    const char16_t* defaults[] = {u"COM1:", u"9600", u"8", u"N", u"1"};
    for (int s = 0; s < SETTING_COUNT; ++s) {
      EXPECT_EQ(Text(config, s), defaults[s]);
      EXPECT_EQ(config.selection[s], 0) << "0, not the defaults' positions in the lists";
    }
  }

  std::string FileBytes() {
    std::string bytes;
    EXPECT_TRUE(ReadWholeFile(file_, &bytes));
    return bytes;
  }

  TempDir dir_;
  std::string folder_, file_, old_xdg_;
  bool had_xdg_ = false;
};

TEST_F(PortConfigTest, FirstRunGivesTheDefaultsAndCreatesNoFile) {
  PortConfig config{};
  EXPECT_EQ(LoadPortConfig(&config), 0);
  ExpectDefaults(config);
  EXPECT_TRUE(FolderEntries(folder_).empty()) << "the folder is made, the file only at a save";
}

TEST_F(PortConfigTest, SaveWritesTheLittleEndianImageAndLoadReadsItBack) {
  PortConfig config{};
  SetText(&config, SETTING_PORT, u"COM3:");
  SetText(&config, SETTING_BAUD_RATE, u"115200");
  SetText(&config, SETTING_PARITY, u"\u00e9");
  config.selection[SETTING_PORT] = -1;
  config.selection[SETTING_BAUD_RATE] = 258;
  SavePortConfig(&config);

  const std::string bytes = FileBytes();
  ASSERT_EQ(bytes.size(), 330u);
  EXPECT_EQ(bytes.substr(0, 12), std::string("C\0O\0M\0"
                                             "3\0:\0\0\0",
                                             12));
  EXPECT_EQ(bytes.substr(64, 4), std::string("1\0"
                                             "1\0",
                                             4));
  EXPECT_EQ(bytes.substr(192, 4), std::string("\xe9\0\0\0", 4));
  EXPECT_EQ(bytes.substr(320, 4), std::string("\xff\xff\x02\x01", 4));

  PortConfig loaded{};
  EXPECT_EQ(LoadPortConfig(&loaded), 1);
  EXPECT_EQ(memcmp(&loaded, &config, sizeof config), 0);
  EXPECT_EQ(FolderEntries(folder_), std::vector<std::string>{"tavik.cfg"})
      << "no temporary file is left behind";
}

TEST_F(PortConfigTest, AFileOf330BytesIsTakenWholeNegativeSelectionsIncluded) {
  ASSERT_EQ(system(("mkdir -p '" + folder_ + "'").c_str()), 0);
  ASSERT_TRUE(WriteWholeFile(file_, SampleImage()));
  PortConfig config{};
  EXPECT_EQ(LoadPortConfig(&config), 1);
  EXPECT_EQ(config.text[SETTING_PORT][0], u'a');
  EXPECT_EQ(config.text[SETTING_STOP_BITS][31], u'a' + (4 * 32 + 31) % 26);
  EXPECT_EQ(config.selection[SETTING_PORT], -1);
  EXPECT_EQ(config.selection[SETTING_BAUD_RATE], 258);
  EXPECT_EQ(config.selection[SETTING_PARITY], -32768);
  EXPECT_EQ(config.selection[SETTING_STOP_BITS], 32767);
  SavePortConfig(&config);
  EXPECT_EQ(FileBytes(), SampleImage()) << "every byte, unterminated texts too";
}

TEST_F(PortConfigTest, AShortFileGivesDefaultsThatKeepItsBytesAfterTheTerminators) {
  ASSERT_EQ(system(("mkdir -p '" + folder_ + "'").c_str()), 0);
  ASSERT_TRUE(WriteWholeFile(file_, SampleImage().substr(0, 329)));
  PortConfig config{};
  EXPECT_EQ(LoadPortConfig(&config), 0);
  ExpectDefaults(config);
  // "COM1:" and its terminator take units 0..5; the file's "ghij..." stays after them.
  EXPECT_EQ(config.text[SETTING_PORT][6], u'g');
  EXPECT_EQ(config.text[SETTING_PORT][30], u'a' + 30 % 26);
  EXPECT_EQ(config.text[SETTING_PORT][31], 0) << "the 32nd unit is always cleared";
  EXPECT_EQ(config.text[SETTING_BAUD_RATE][5], u'a' + (32 + 5) % 26);

  // No file at all: the units after the terminators keep what the record held.
  ASSERT_EQ(unlink(file_.c_str()), 0);
  PortConfig held{};
  SetText(&held, SETTING_DATA_BITS, u"ABCDEFG");
  EXPECT_EQ(LoadPortConfig(&held), 0);
  EXPECT_EQ(Text(held, SETTING_DATA_BITS), u"8");
  EXPECT_EQ(std::u16string(held.text[SETTING_DATA_BITS] + 2, 5), u"CDEFG");
}

TEST_F(PortConfigTest, ALongerFileSuppliesItsFirst330BytesAndIsTruncatedAtTheNextSave) {
  ASSERT_EQ(system(("mkdir -p '" + folder_ + "'").c_str()), 0);
  ASSERT_TRUE(WriteWholeFile(file_, SampleImage() + std::string(70, 'z')));
  PortConfig config{};
  EXPECT_EQ(LoadPortConfig(&config), 1);
  EXPECT_EQ(config.selection[SETTING_STOP_BITS], 32767);
  SavePortConfig(&config);
  EXPECT_EQ(FileBytes(), SampleImage());
}

TEST_F(PortConfigTest, ThePathIsTheFolderSlashTavikDotCfg) {
  char16_t path[kPathChars];
  ASSERT_TRUE(BuildConfigPath(path));
  EXPECT_EQ(std::u16string(path), std::u16string(file_.begin(), file_.end()));
  setenv("XDG_CONFIG_HOME", (folder_ + "/").c_str(), 1);
  ASSERT_TRUE(BuildConfigPath(path));
  EXPECT_EQ(std::u16string(path), std::u16string(folder_.begin(), folder_.end()) + u"//tavik.cfg")
      << "the separator is always appended";
  EXPECT_FALSE(BuildConfigPath(nullptr));
}

// The folder's length counts in UTF-16 characters: 249 still fit, 250 do not.
TEST_F(PortConfigTest, AFolderOf249CharactersGetsAPathOf250None) {
  for (const std::u16string filler : {u"x", u"\u00e4"}) {
    const std::string base = dir_.path() + "/";
    const size_t fill = 249 - base.size();
    std::string folder = base;
    for (size_t i = 0; i < fill; ++i) {
      // Folder names are limited to 255 bytes: a slash now and then.
      if (i % 60 == 59) {
        folder += "/";
      } else {
        folder += filler == u"x" ? "x" : "\xc3\xa4";
      }
    }
    setenv("XDG_CONFIG_HOME", folder.c_str(), 1);
    char16_t path[kPathChars];
    ASSERT_TRUE(BuildConfigPath(path));
    EXPECT_EQ(std::u16string(path).size(), 259u);
    PortConfig config{};
    config.selection[SETTING_PORT] = 7;
    SavePortConfig(&config);
    EXPECT_EQ(LoadPortConfig(&config), 1);
    EXPECT_EQ(config.selection[SETTING_PORT], 7);

    folder += "y";
    setenv("XDG_CONFIG_HOME", folder.c_str(), 1);
    EXPECT_FALSE(BuildConfigPath(path));
    PortConfig other{};
    other.selection[SETTING_PORT] = 9;
    SavePortConfig(&other);
    EXPECT_TRUE(FolderEntries(folder).empty()) << "no path: the save writes nothing";
    EXPECT_EQ(LoadPortConfig(&other), 0);
    ExpectDefaults(other);
  }
}

TEST_F(PortConfigTest, NoFolderMeansDefaultsAndNoSave) {
  ASSERT_TRUE(WriteWholeFile(dir_.File("plain"), "x"));
  setenv("XDG_CONFIG_HOME", dir_.File("plain").c_str(), 1);
  PortConfig config{};
  EXPECT_EQ(LoadPortConfig(&config), 0);
  ExpectDefaults(config);
  SavePortConfig(&config);
  EXPECT_EQ(LoadPortConfig(nullptr), 0);
  SavePortConfig(nullptr);
}

// The write of the new file fails half-way (file size limit, a real fault even for
// root): the old file must stay whole and loadable, and no partial file remain.
TEST_F(PortConfigTest, AnInterruptedSaveKeepsTheOldFile) {
  ASSERT_EQ(system(("mkdir -p '" + folder_ + "'").c_str()), 0);
  ASSERT_TRUE(WriteWholeFile(file_, SampleImage()));
  PortConfig changed{};
  SetText(&changed, SETTING_PORT, u"COM7:");

  rlimit old_limit{};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old_limit), 0);
  const auto old_handler = signal(SIGXFSZ, SIG_IGN);
  rlimit small = old_limit;
  small.rlim_cur = 100;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  SavePortConfig(&changed);
  setrlimit(RLIMIT_FSIZE, &old_limit);
  signal(SIGXFSZ, old_handler);

  EXPECT_EQ(FileBytes(), SampleImage());
  EXPECT_EQ(FolderEntries(folder_), std::vector<std::string>{"tavik.cfg"});
  PortConfig loaded{};
  EXPECT_EQ(LoadPortConfig(&loaded), 1);
  EXPECT_EQ(loaded.selection[SETTING_PORT], -1);

  SavePortConfig(&changed);
  EXPECT_EQ(LoadPortConfig(&loaded), 1);
  EXPECT_EQ(Text(loaded, SETTING_PORT), u"COM7:") << "the next save goes through";
}

TEST_F(PortConfigTest, ALinkedFileIsReplacedWhereItLiesAndTheLinkKept) {
  ASSERT_EQ(system(("mkdir -p '" + folder_ + "' '" + dir_.File("dotfiles") + "'").c_str()), 0);
  const std::string real = dir_.File("dotfiles/tavik.cfg");
  ASSERT_TRUE(WriteWholeFile(real, SampleImage()));
  ASSERT_EQ(symlink(real.c_str(), file_.c_str()), 0);
  PortConfig config{};
  EXPECT_EQ(LoadPortConfig(&config), 1);
  config.selection[SETTING_PORT] = 5;
  SavePortConfig(&config);
  struct stat link {};
  ASSERT_EQ(lstat(file_.c_str(), &link), 0);
  EXPECT_TRUE(S_ISLNK(link.st_mode));
  std::string bytes;
  ASSERT_TRUE(ReadWholeFile(real, &bytes));
  EXPECT_EQ(bytes.size(), 330u);
  EXPECT_EQ(bytes[320], 5);
  EXPECT_EQ(FolderEntries(dir_.File("dotfiles")), std::vector<std::string>{"tavik.cfg"});
}

TEST_F(PortConfigTest, ASaveThatCannotReplaceTheFileLeavesNothingBehind) {
  ASSERT_EQ(system(("mkdir -p '" + file_ + "/inside'").c_str()), 0);  // a folder in its place
  PortConfig config{};
  SavePortConfig(&config);
  EXPECT_EQ(FolderEntries(folder_), std::vector<std::string>{"tavik.cfg"});
  EXPECT_EQ(LoadPortConfig(&config), 0);
  ExpectDefaults(config);
}

}  // namespace
