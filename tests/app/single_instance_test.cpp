// One instance per user: a second start activates the first, whatever a crashed one
// left, in a runtime folder of the user's own.
#include "app/single_instance.h"

#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>

#include "tests/app/app_fixture.h"
#include "tests/support/scoped_env.h"

namespace {

TEST(SingleInstance, ASecondStartActivatesTheFirstEvenAfterACrashedOne) {
  TempDir dir;
  chmod(dir.path().c_str(), 0700);
  ScopedEnv runtime("XDG_RUNTIME_DIR", dir.path());
  // A bound socket nobody listens on, as a killed instance leaves it.
  const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
  sockaddr_un address{AF_UNIX, {}};
  std::strcpy(address.sun_path, dir.File("tavik").c_str());
  ASSERT_EQ(bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  close(fd);
  SingleInstance first, second, after;
  ASSERT_FALSE(AskRunningInstanceToActivate(&first));
  int activations = 0;
  ListenForLaterStarts(&first, [&activations] { ++activations; });
  EXPECT_TRUE(AskRunningInstanceToActivate(&second));
  EXPECT_TRUE(WaitUntil([&] { return activations == 1; }));
  ReleaseSingleInstance(&second);
  ReleaseSingleInstance(&first);
  EXPECT_FALSE(AskRunningInstanceToActivate(&after));  // the first has ended
  ReleaseSingleInstance(&after);
}

TEST(SingleInstance, UsesOnlyAFolderOfTheUsersOwn) {
  {
    ScopedEnv runtime("XDG_RUNTIME_DIR", nullptr);
    struct stat status;  // a private one in /tmp
    ASSERT_EQ(RuntimeFolder(), "/tmp/tavik-" + std::to_string(getuid()));
    ASSERT_EQ(stat(RuntimeFolder().c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 077, 0u);
  }
  TempDir dir;
  chmod(dir.path().c_str(), 0777);
  ScopedEnv runtime("XDG_RUNTIME_DIR", dir.path());
  EXPECT_EQ(RuntimeFolder(), "");
  SingleInstance instance;
  EXPECT_FALSE(AskRunningInstanceToActivate(&instance));  // runs, without the check
  EXPECT_EQ(instance.lock_fd, -1);
}

}  // namespace
