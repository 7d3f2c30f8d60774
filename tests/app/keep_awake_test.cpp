// The keep-awake timer of an open link against the X server's idle time.
#include <gtest/gtest.h>

#include <QThread>
#include <cstdlib>

#include "app/commands.h"
#include "tests/app/app_fixture.h"
#include "tests/app/qt_test_support.h"
#include "tests/support/run_program.h"

namespace {

long IdleMs() {
  const ProgramResult result = RunProgram({"/usr/bin/xprintidle"});
  return result.exit_status == 0 ? std::atol(result.out.c_str()) : -1;
}

// Runs the event loop for `ms`, sampling the idle time; returns the longest seen.
long LongestIdleWhileRunning(int ms) {
  long longest = 0;
  for (int waited = 0; waited < ms; waited += 250) {
    WaitUntil([] { return false; }, 250);
    longest = std::max(longest, IdleMs());
  }
  return longest;
}

TEST_F(AppWindowTest, AnOpenLinkKeepsTheIdleTimeShortAndStopLetsItGrow) {
  if (!HaveXServer() || IdleMs() < 0) GTEST_SKIP() << "needs an X server and xprintidle";
  auto receiver = AddReceiver(1);
  Command(IDM_START);
  ASSERT_TRUE(window_->KeepAwakeTimerRunning());
  // The first tick comes a period after Start; what was idle before it does not count.
  WaitUntil([] { return false; }, 1100);
  EXPECT_LT(LongestIdleWhileRunning(4000), 1500);
  Command(IDM_STOP);
  EXPECT_GE(LongestIdleWhileRunning(2000), 1500);
}

}  // namespace
