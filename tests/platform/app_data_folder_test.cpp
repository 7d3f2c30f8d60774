// The per-user settings folder: XDG rules, creation, refusal.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdlib>
#include <string>

#include "platform/app_data_folder.h"
#include "tests/support/temp_dir.h"

namespace {

// Sets or clears an environment variable for one test and restores it afterwards.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const char* value) : name_(name) {
    const char* old = getenv(name);
    had_ = old != nullptr;
    if (had_) old_ = old;
    if (value != nullptr) {
      setenv(name, value, 1);
    } else {
      unsetenv(name);
    }
  }
  ~ScopedEnv() {
    if (had_) {
      setenv(name_, old_.c_str(), 1);
    } else {
      unsetenv(name_);
    }
  }

 private:
  const char* name_;
  bool had_;
  std::string old_;
};

std::string Folder() {
  char out[4096];
  if (!AppDataFolder(out, sizeof out)) return "<none>";
  return out;
}

mode_t ModeOf(const std::string& path) {
  struct stat info {};
  if (stat(path.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) return 0;
  return info.st_mode & 07777;
}

TEST(AppDataFolder, XdgConfigHomeIsCreatedWithItsParents) {
  TempDir dir;
  const std::string wanted = dir.File("a/b/config");
  ScopedEnv xdg("XDG_CONFIG_HOME", wanted.c_str());
  EXPECT_EQ(Folder(), wanted);
  EXPECT_EQ(ModeOf(wanted), 0700u);
  EXPECT_EQ(ModeOf(dir.File("a")), 0700u);
  EXPECT_EQ(Folder(), wanted) << "an existing folder is used as it is";
}

TEST(AppDataFolder, UnsetEmptyOrRelativeXdgConfigHomeMeansHomeConfig) {
  TempDir dir;
  ScopedEnv home("HOME", dir.path().c_str());
  for (const char* xdg_value : {static_cast<const char*>(nullptr), "", "relative/config"}) {
    ScopedEnv xdg("XDG_CONFIG_HOME", xdg_value);
    EXPECT_EQ(Folder(), dir.File(".config"));
  }
  EXPECT_EQ(ModeOf(dir.File(".config")), 0700u);
}

TEST(AppDataFolder, NoFolderWhereAFileStandsOrThePathDoesNotFit) {
  TempDir dir;
  const std::string file = dir.File("plain");
  ASSERT_TRUE(WriteWholeFile(file, "x"));
  {
    ScopedEnv xdg("XDG_CONFIG_HOME", file.c_str());
    EXPECT_EQ(Folder(), "<none>");
  }
  {
    ScopedEnv xdg("XDG_CONFIG_HOME", (file + "/below").c_str());
    EXPECT_EQ(Folder(), "<none>");
  }
  ScopedEnv xdg("XDG_CONFIG_HOME", dir.path().c_str());
  char small[8];
  EXPECT_FALSE(AppDataFolder(small, sizeof small));
  EXPECT_FALSE(AppDataFolder(nullptr, 100));
}

}  // namespace
