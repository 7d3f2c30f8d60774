// The configuration file under faults: links to files that are not a configuration,
// permission bits, and record texts without a terminator on the way to the port.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <memory>
#include <string>

#include "config/port_config.h"
#include "gps/gps_port.h"
#include "tests/support/shared_data.h"
#include "tests/support/temp_dir.h"

namespace {

class ConfigFaults : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* old = getenv("XDG_CONFIG_HOME");
    if (old != nullptr) old_ = old;
    setenv("XDG_CONFIG_HOME", dir_.path().c_str(), 1);
    config_.selection[SETTING_PORT] = 7;
  }
  void TearDown() override {
    if (old_.empty()) {
      unsetenv("XDG_CONFIG_HOME");
    } else {
      setenv("XDG_CONFIG_HOME", old_.c_str(), 1);
    }
  }
  std::string ConfigPath() const { return dir_.File("tavik.cfg"); }

  TempDir dir_;
  std::string old_;
  PortConfig config_{};
};

struct Target {
  const char* what;
  size_t size;
  mode_t mode;
  bool replaced;
};

TEST_F(ConfigFaults, ALinkIsFollowedOnlyToWhatCanBeAConfiguration) {
  const Target targets[] = {
      {"a copy of /etc/passwd", 1200, 0644, false},
      {"a record that lost a byte", 329, 0640, false},
      {"an empty file", 0, 0640, true},
      {"a record", 330, 0604, true},
  };
  for (const Target& target : targets) {
    const std::string real = dir_.File("elsewhere");
    ASSERT_TRUE(WriteWholeFile(real, std::string(target.size, 'x')));
    ASSERT_EQ(chmod(real.c_str(), target.mode), 0);
    unlink(ConfigPath().c_str());
    ASSERT_EQ(symlink(real.c_str(), ConfigPath().c_str()), 0);
    SavePortConfig(&config_);
    std::string bytes;
    ASSERT_TRUE(ReadWholeFile(real, &bytes));
    struct stat status {};
    ASSERT_EQ(stat(real.c_str(), &status), 0);
    EXPECT_EQ(bytes.size(), target.replaced ? 330u : target.size) << target.what;
    EXPECT_EQ(status.st_mode & 07777, target.mode) << target.what;
    struct stat link {};
    EXPECT_TRUE(lstat(ConfigPath().c_str(), &link) == 0 && S_ISLNK(link.st_mode)) << target.what;
  }
  // A link that leads nowhere gets no file either.
  unlink(dir_.File("elsewhere").c_str());
  SavePortConfig(&config_);
  EXPECT_NE(access(dir_.File("elsewhere").c_str(), F_OK), 0);
}

TEST_F(ConfigFaults, APlainConfigurationKeepsItsPermissionBits) {
  SavePortConfig(&config_);
  ASSERT_EQ(chmod(ConfigPath().c_str(), 0644), 0);
  SavePortConfig(&config_);
  struct stat status {};
  ASSERT_EQ(stat(ConfigPath().c_str(), &status), 0);
  EXPECT_EQ(status.st_mode & 07777, 0644u);
  EXPECT_EQ(status.st_size, 330);
}

// Every text fills its 32 units without a terminator, and no selection is zero: Start
// must refuse the record without reading past it (AddressSanitizer watches the heap).
TEST_F(ConfigFaults, TextsWithoutTerminatorAreRefusedAtStart) {
  ASSERT_TRUE(WriteWholeFile(ConfigPath(), std::string(330, '1')));
  auto loaded = std::make_unique<PortConfig>();
  ASSERT_EQ(LoadPortConfig(loaded.get()), 1);
  const auto& text = loaded->text;
  GpsPort port;
  GpsPortReset(&port);
  errno = 0;
  EXPECT_EQ(
      GpsPortOpenWide(&port, text[SETTING_PORT], text[SETTING_BAUD_RATE], text[SETTING_DATA_BITS],
                      text[SETTING_PARITY], text[SETTING_STOP_BITS], 100, 0, nullptr, nullptr),
      0);
  EXPECT_EQ(errno, EINVAL);
}

}  // namespace
