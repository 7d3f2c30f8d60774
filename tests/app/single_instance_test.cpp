#include "app/single_instance.h"

#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>

#include "tests/app/qt_test_support.h"
#include "tests/support/temp_dir.h"

namespace {

class ScopedRuntimeDir {
 public:
  explicit ScopedRuntimeDir(const char* value) {
    const char* old = std::getenv("XDG_RUNTIME_DIR");
    had_ = old != nullptr;
    if (had_) old_ = old;
    if (value != nullptr)
      setenv("XDG_RUNTIME_DIR", value, 1);
    else
      unsetenv("XDG_RUNTIME_DIR");
  }
  ~ScopedRuntimeDir() {
    if (had_)
      setenv("XDG_RUNTIME_DIR", old_.c_str(), 1);
    else
      unsetenv("XDG_RUNTIME_DIR");
  }

 private:
  bool had_;
  std::string old_;
};

TEST(SingleInstance, ASecondStartActivatesTheFirst) {
  TempDir dir;
  chmod(dir.path().c_str(), 0700);
  ScopedRuntimeDir runtime(dir.path().c_str());
  SingleInstance first;
  ASSERT_FALSE(AskRunningInstanceToActivate(&first));
  int activations = 0;
  ListenForLaterStarts(&first, [&activations] { ++activations; });
  ASSERT_NE(first.server, nullptr);

  SingleInstance second;
  EXPECT_TRUE(AskRunningInstanceToActivate(&second));
  EXPECT_TRUE(WaitUntil([&] { return activations == 1; }));
  ReleaseSingleInstance(&second);

  ReleaseSingleInstance(&first);
  SingleInstance after;
  EXPECT_FALSE(AskRunningInstanceToActivate(&after));  // the first has ended
  ReleaseSingleInstance(&after);
}

TEST(SingleInstance, ASocketLeftByACrashedInstanceDoesNotLockOut) {
  TempDir dir;
  chmod(dir.path().c_str(), 0700);
  ScopedRuntimeDir runtime(dir.path().c_str());
  // A bound socket nobody listens on, as a killed instance leaves it.
  const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  const std::string path = dir.File("tavik");
  std::strcpy(address.sun_path, path.c_str());
  ASSERT_EQ(bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  close(fd);

  SingleInstance instance;
  EXPECT_FALSE(AskRunningInstanceToActivate(&instance));
  ListenForLaterStarts(&instance, [] {});
  EXPECT_NE(instance.server, nullptr);
  ReleaseSingleInstance(&instance);
}

TEST(SingleInstance, WithoutARuntimeFolderUsesAPrivateOneInTmp) {
  ScopedRuntimeDir runtime(nullptr);
  const std::string folder = RuntimeFolder();
  ASSERT_EQ(folder, "/tmp/tavik-" + std::to_string(getuid()));
  struct stat status;
  ASSERT_EQ(stat(folder.c_str(), &status), 0);
  EXPECT_EQ(status.st_mode & 077, 0u);
}

TEST(SingleInstance, AFolderOthersCanWriteToIsNotUsed) {
  TempDir dir;
  chmod(dir.path().c_str(), 0777);
  ScopedRuntimeDir runtime(dir.path().c_str());
  EXPECT_EQ(RuntimeFolder(), "");
  SingleInstance instance;
  EXPECT_FALSE(AskRunningInstanceToActivate(&instance));  // runs, without the check
  EXPECT_EQ(instance.lock_fd, -1);
}

}  // namespace
