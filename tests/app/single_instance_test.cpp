// One instance per user, checked in a runtime folder of the user's own.
#include "app/desktop/single_instance.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "tests/support/scoped_env.h"
#include "tests/support/temp_dir.h"

namespace {

TEST(SingleInstance, UsesOnlyAFolderOfTheUsersOwn) {
  TempDir dir;
  chmod(dir.path().c_str(), 0777);
  ScopedEnv runtime("XDG_RUNTIME_DIR", dir.path());
  EXPECT_EQ(RuntimeFolder(), "");
  SingleInstance instance;
  EXPECT_FALSE(AskRunningInstanceToActivate(&instance));  // runs, without the check
  EXPECT_EQ(instance.lock_fd, -1);
  unsetenv("XDG_RUNTIME_DIR");  // then a private one in /tmp, removed again if made here
  const std::string fallback = "/tmp/tavik-" + std::to_string(getuid());
  const bool was_there = access(fallback.c_str(), F_OK) == 0;
  struct stat status;
  ASSERT_EQ(stat(RuntimeFolder().c_str(), &status), 0);
  EXPECT_EQ(status.st_mode & 077, 0u);
  if (!was_there) rmdir(fallback.c_str());
}

}  // namespace
